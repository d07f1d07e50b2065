#pragma once
// Building the index files from their sources, and the names of HAMLOG.HDB's companion files.

#include <QString>

#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/index_file.h"

namespace hamlog {

// A companion of the database: its path less the last three characters ("HDB") followed by the
// suffix, matched without case against the files already there.
QString CompanionPath(const QString& hdbPath, const QString& suffix);

// The index over the table's records (deleted ones left out), stamped with the table's stamp.
bool BuildHdbIndex(const HdbTable& table, const IndexKind& kind, const QString& indexPath);

// The stamp of the code master as it is now; false when it is missing, truncated or not ours.
bool MasterStamp(const QString& masterPath, IndexStamp& stamp);
// The index over the code master's records.
bool BuildMasterIndex(const QString& masterPath, const IndexKind& kind, const QString& indexPath);

}  // namespace hamlog
