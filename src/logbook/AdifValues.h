#pragma once
// The values of ADIF's typed and enumerated fields, from what HAMLOG holds, for every ADIF file the
// program writes: FREQ as a number of MHz and BAND by ADIF's band table, MODE and SUBMODE from the
// logged mode, QSL_SENT and QSL_RCVD from HAMLOG's marks, by the ADIF version the files' headers name.
// An empty value is one ADIF has no value for: the writer leaves the field out rather than write
// something a reader would refuse.
//
//   AdifFrequency("*10.368")   // {"10368", "3cm"}
//   AdifFrequency("435/145")   // {"435", "70cm"}: a satellite QSO by its first frequency
//   AdifFrequency("1200")      // {"", "23cm"}: a band's label is no frequency
//   AdifFrequency("*10")       // {"", "3cm"}: nor as the frequency list stores it
//   AdifFrequency("135K")      // {"", "2190m"}
//   AdifFrequency("54.0000005") // {"", "6m"}: past the band's edge, counted in the band all the same
//   AdifFrequency("7.02.5")    // {"", "40m"}: no number
//   AdifFrequency("4.630")     // {"4.630", ""}: in no band, of ADIF's nor of the program's
//   AdifModeOf("FT4")          // {"MFSK", "FT4"}
//   AdifModeOf("PSK250")       // {"PSK", "PSK250"}: every mode and submode of ADIF's table
//   AdifModeOf("BPSK")         // {"PSK", "PSK31"}
//   AdifModeOf("DSTAR")        // {"DIGITALVOICE", "DSTAR"}
//   AdifModeOf("SCAMP_OO")     // {"MTONE", "SCAMP_OO"}

#include <QString>
#include <QStringList>

// The ADIF version whose band and mode tables the values follow (the header's ADIF_VER).
inline constexpr char kAdifVersion[] = "3.1.6";

struct AdifFreq {
  QString mhz;   // FREQ: "7.025"; "" when the text holds no frequency within the band
  QString band;  // BAND: "40m"; "" when the text lies in no band of ADIF's table nor of the program's
};
// The frequency as HAMLOG keeps it: MHz ("7.025", "0.1357", "2427"), GHz after "*" or before "G"
// ("*10.368", "10.368G"), a band's label ("7", "10G" or "*10", "475K"), two frequencies of a satellite QSO
// ("435/145", the first taken), "9999" (none). FREQ goes out only within the edges of the BAND beside
// it; any other text goes out under the band the progress sheet counts it in, without FREQ. A number
// in no band at all keeps its FREQ alone (the eQSL file leaves such a QSO out).
AdifFreq AdifFrequency(const QString& logged);

struct AdifMode {
  QString mode;     // MODE: "" when ADIF has no mode for it
  QString submode;  // SUBMODE: "" when none
};
// A logged mode (case and blanks ignored) as ADIF names it.
AdifMode AdifModeOf(const QString& logged);
// The logged mode names AdifModeOf knows: ADIF's modes and submodes and the spellings of HAMLOG's users.
QStringList AdifKnownModes();

// QSL_SENT / QSL_RCVD from HAMLOG's sent or received mark: any mark "Y", none "N".
QString AdifQslStatus(const QString& mark);
