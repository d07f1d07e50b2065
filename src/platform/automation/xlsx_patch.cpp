// A kept workbook written again with only its changed worksheets replaced: the other members are
// copied as stored (no inflate, no deflate), so a posting costs the size of the sheet it changes.

#include <unzip.h>
#include <zip.h>

#include <QFile>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/automation/xlsx_contents.h"
#include "platform/cores.h"

namespace {

constexpr int32_t kMaxColumns = 16384;

void AppendNumber(std::string& out, int32_t n) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

void AppendRef(std::string& out, int32_t row, int32_t column) {
  char letters[4];
  int n = 0;
  for (int32_t c = column; c > 0; c = (c - 1) / 26) letters[n++] = char('A' + (c - 1) % 26);
  while (n > 0) out += letters[--n];
  AppendNumber(out, row);
}

// Text as UTF-8 XML character data; control characters (a carriage return too, which a reader would
// fold into a newline) take the _xHHHH_ form spreadsheet programs read back, as libxlsxwriter writes them.
// Written through a buffer on the stack: a character takes at most 7 bytes ("_x000D_").
void AppendText(std::string& out, QStringView text) {
  constexpr qsizetype kRun = 256;
  char buffer[kRun * 7];
  const char16_t* p = text.utf16();
  const char16_t* const end = p + text.size();
  while (p < end) {
    const char16_t* const stop = end - p > kRun ? p + kRun - 1 : end;  // a pair may take one more
    char* o = buffer;
    for (; p < stop; ++p) {
      char32_t u = *p;
      if (u < 0x80) {
        if (u == '&')
          o = std::copy_n("&amp;", 5, o);
        else if (u == '<')
          o = std::copy_n("&lt;", 4, o);
        else if (u == '>')
          o = std::copy_n("&gt;", 4, o);
        else if (u < 0x20 && u != '\t' && u != '\n') {
          static const char kHex[] = "0123456789ABCDEF";
          o = std::copy_n("_x00", 4, o);
          *o++ = kHex[u >> 4];
          *o++ = kHex[u & 15];
          *o++ = '_';
        } else {
          *o++ = char(u);
        }
        continue;
      }
      if (u >= 0xD800 && u < 0xDC00 && p + 1 < end && p[1] >= 0xDC00 && p[1] < 0xE000)
        u = 0x10000 + ((u - 0xD800) << 10) + (*++p - 0xDC00);
      else if (u >= 0xD800 && u < 0xE000)
        u = 0xFFFD;  // a lone half of a pair, as QString::toUtf8 makes it
      if (u < 0x800) {
        *o++ = char(0xC0 | (u >> 6));
      } else if (u < 0x10000) {
        *o++ = char(0xE0 | (u >> 12));
        *o++ = char(0x80 | ((u >> 6) & 0x3F));
      } else {
        *o++ = char(0xF0 | (u >> 18));
        *o++ = char(0x80 | ((u >> 12) & 0x3F));
        *o++ = char(0x80 | ((u >> 6) & 0x3F));
      }
      *o++ = char(0x80 | (u & 0x3F));
    }
    out.append(buffer, size_t(o - buffer));
  }
}

// The XML of rows [from, to) of `cells` after `body`; false when a text cannot be written (see
// WorksheetXml).
bool AppendRows(std::string& body, const XlsxCells& cells, size_t from, size_t to, int wrapStyle) {
  constexpr qsizetype kLongest = 32767;  // the most characters a cell takes
  const std::vector<XlsxCells::Row>& rows = cells.Rows();
  size_t count = 0;
  for (size_t i = from; i < to; ++i) count += rows[i].cells.size();
  body.reserve(count * 56 + (to - from) * 24);
  for (size_t i = from; i < to; ++i) {
    const XlsxCells::Row& r = rows[i];
    body += "<row r=\"";
    AppendNumber(body, r.row);
    body += "\">";
    for (const XlsxCell& cell : r.cells) {
      body += "<c r=\"";
      AppendRef(body, r.row, cell.column);
      if (cell.kind == XlsxCell::Kind::Truth) {
        body += cell.truth ? "\" t=\"b\"><v>1</v></c>" : "\" t=\"b\"><v>0</v></c>";
      } else if (cell.kind == XlsxCell::Kind::Number) {
        char number[32];
        std::snprintf(number, sizeof number, "%.16G", cell.number);  // libxlsxwriter's own form
        body += "\"><v>";
        body += number;
        body += "</v></c>";
      } else {
        const QStringView text = cells.Text(cell);
        if (text.size() > kLongest && text.toUcs4().size() > kLongest) return false;
        if (std::find(text.utf16(), text.utf16() + text.size(), u'\n') != text.utf16() + text.size()) {
          if (wrapStyle < 0) return false;
          body += "\" s=\"";
          AppendNumber(body, wrapStyle);
        }
        // Blanks around a text are kept only when said so, as libxlsxwriter says it.
        const bool padded = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
        body += padded ? "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" : "\" t=\"inlineStr\"><is><t>";
        AppendText(body, text);
        body += "</t></is></c>";
      }
    }
    body += "</row>";
  }
  return true;
}

class Unzip {
 public:
  explicit Unzip(const QString& path) : z_(unzOpen64(QFile::encodeName(path).constData())) {}
  ~Unzip() {
    if (z_) unzClose(z_);
  }
  Unzip(const Unzip&) = delete;
  Unzip& operator=(const Unzip&) = delete;
  unzFile get() const { return z_; }

 private:
  unzFile z_;
};

// Copies the current member of `from` into `to` still deflated as it is.
bool CopyStored(unzFile from, zipFile to, const QByteArray& name, const unz_file_info64& info) {
  int method = 0, level = 0;
  if (unzOpenCurrentFile2(from, &method, &level, 1) != UNZ_OK) return false;
  zip_fileinfo zi{};
  zi.dosDate = info.dosDate;
  zi.internal_fa = info.internal_fa;
  zi.external_fa = info.external_fa;
  const int zip64 = info.uncompressed_size >= 0xffffffffu || info.compressed_size >= 0xffffffffu;
  bool ok = zipOpenNewFileInZip4_64(to, name.constData(), &zi, nullptr, 0, nullptr, 0, nullptr, method, level, 1,
                                    -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                    info.version, info.flag & 0x800, zip64) == ZIP_OK;
  QByteArray buffer(1 << 20, Qt::Uninitialized);
  for (int n; ok && (n = unzReadCurrentFile(from, buffer.data(), unsigned(buffer.size()))) != 0;)
    ok = n > 0 && zipWriteInFileInZip(to, buffer.constData(), unsigned(n)) == ZIP_OK;
  ok = unzCloseCurrentFile(from) == UNZ_OK && ok;
  return zipCloseFileInZipRaw64(to, info.uncompressed_size, info.crc) == ZIP_OK && ok;
}

// `bytes` as one raw deflate stream at the fastest level, its pieces deflated side by side: each piece
// but the last ends on a byte boundary (a sync flush) and none refers back into another, so the pieces
// laid end to end are the stream a single pass would have made, a little larger. Empty on failure.
// `crc` receives the CRC-32 of `bytes`, its pieces' reckoned on the same threads.
QByteArray DeflatedInPieces(const QByteArray& bytes, uLong& crc) {
  constexpr qsizetype kPiece = 1 << 20;
  const qsizetype pieces = std::max<qsizetype>(1, (bytes.size() + kPiece - 1) / kPiece);
  std::vector<QByteArray> out(static_cast<size_t>(pieces));
  std::vector<char> ok(static_cast<size_t>(pieces), 0);
  std::vector<uLong> crcs(static_cast<size_t>(pieces), 0);
  auto deflatePiece = [&](qsizetype i) {
    const qsizetype from = i * kPiece, size = std::min(kPiece, bytes.size() - from);
    crcs[size_t(i)] = crc32_z(crc32_z(0L, Z_NULL, 0),
                              reinterpret_cast<const Bytef*>(bytes.constData() + from), size_t(size));
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK) return;
    QByteArray& piece = out[size_t(i)];
    piece.resize(qsizetype(deflateBound(&z, uLong(size))) + 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData() + from));
    z.avail_in = uInt(size);
    z.next_out = reinterpret_cast<Bytef*>(piece.data());
    z.avail_out = uInt(piece.size());
    const bool last = i + 1 == pieces;
    const int r = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    ok[size_t(i)] = (last ? r == Z_STREAM_END : r == Z_OK && z.avail_in == 0 && z.avail_out > 0);
    piece.resize(qsizetype(z.total_out));
    deflateEnd(&z);
  };
  const qsizetype helpers = std::clamp<qsizetype>(UsableCores(), 1, std::min<qsizetype>(pieces, 8));
  std::atomic<qsizetype> next{0};
  RunParts(size_t(helpers), [&](size_t) {
    for (qsizetype i; (i = next++) < pieces;) deflatePiece(i);
  });
  crc = crc32_z(0L, Z_NULL, 0);
  for (qsizetype i = 0; i < pieces; ++i)
    crc = crc32_combine(crc, crcs[size_t(i)], z_off_t(std::min(kPiece, bytes.size() - i * kPiece)));
  QByteArray joined;
  qsizetype total = 0;
  for (const QByteArray& piece : out) total += piece.size();
  joined.reserve(total);
  for (size_t i = 0; i < out.size(); ++i) {
    if (!ok[i]) return QByteArray();
    joined.append(out[i]);
  }
  return joined;
}

bool WriteNew(zipFile to, const QByteArray& name, const unz_file_info64& info, const QByteArray& bytes) {
  zip_fileinfo zi{};
  zi.dosDate = info.dosDate;
  zi.external_fa = info.external_fa;
  // The fastest deflate: a worksheet's XML is repetitive enough that it still shrinks several times.
  uLong crc = 0;
  const QByteArray deflated = DeflatedInPieces(bytes, crc);
  if (deflated.isEmpty()) return false;
  const int zip64 = bytes.size() >= 0xffffffffll || deflated.size() >= 0xffffffffll;
  bool ok = zipOpenNewFileInZip4_64(to, name.constData(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_BEST_SPEED, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                    info.version, info.flag & 0x800, zip64) == ZIP_OK;
  ok = ok && zipWriteInFileInZip(to, deflated.constData(), unsigned(deflated.size())) == ZIP_OK;
  return zipCloseFileInZipRaw64(to, ZPOS64_T(bytes.size()), crc) == ZIP_OK && ok;
}

}  // namespace

QByteArray WorksheetXml(const XlsxCells& cells, int wrapStyle) {
  const std::vector<XlsxCells::Row>& rows = cells.Rows();
  int32_t left = kMaxColumns, right = 1;
  size_t count = 0;
  for (const XlsxCells::Row& r : rows) {
    left = std::min(left, r.cells.front().column);
    right = std::max(right, r.cells.back().column);
    count += r.cells.size();
  }
  // A large sheet's rows are written in runs side by side, then laid end to end.
  const size_t parts =
      size_t(std::clamp<qsizetype>(UsableCores(), 1, qsizetype(std::min<size_t>(8, count / 16384 + 1))));
  std::vector<std::string> bodies(parts);
  std::vector<char> written(parts, 0);
  RunParts(parts, [&](size_t k) {
    const size_t from = rows.size() * k / parts, to = rows.size() * (k + 1) / parts;
    written[k] = AppendRows(bodies[k], cells, from, to, wrapStyle);
  });
  if (std::find(written.begin(), written.end(), 0) != written.end()) return QByteArray();

  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><dimension ref=\"";
  if (cells.Empty()) {
    head += "A1";
  } else {
    AppendRef(head, rows.front().row, left);
    head += ':';
    AppendRef(head, cells.LastRow(), right);
  }
  head += "\"/><sheetData>";
  static const char tail[] =
      "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/></worksheet>";
  size_t total = head.size() + sizeof tail;
  for (const std::string& body : bodies) total += body.size();
  QByteArray out;
  out.reserve(qsizetype(total));
  out.append(head.data(), qsizetype(head.size()));
  for (const std::string& body : bodies) out.append(body.data(), qsizetype(body.size()));
  out.append(tail);
  return out;
}

bool CopyZipReplacing(const QString& source, const QString& target, const std::map<QString, QByteArray>& replaced) {
  Unzip from(source);
  if (!from.get()) return false;
  zipFile to = zipOpen64(QFile::encodeName(target).constData(), APPEND_STATUS_CREATE);
  if (!to) return false;
  bool ok = true;
  size_t done = 0;
  int e = unzGoToFirstFile(from.get());
  for (; ok && e == UNZ_OK; e = unzGoToNextFile(from.get())) {
    unz_file_info64 info{};
    char name[1024];
    ok = unzGetCurrentFileInfo64(from.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
         info.size_filename < sizeof name;
    if (!ok) break;
    const auto it = replaced.find(QString::fromUtf8(name));
    if (it == replaced.end()) {
      ok = CopyStored(from.get(), to, name, info);
    } else {
      ok = WriteNew(to, name, info, it->second);
      ++done;
    }
  }
  ok = ok && e == UNZ_END_OF_LIST_OF_FILE && done == replaced.size();
  return zipClose(to, nullptr) == ZIP_OK && ok;
}
