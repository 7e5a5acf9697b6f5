// The tables of a database file. A file is ours when nsf_meta holds
// format = kFormatName and a version this library reads.
//
//   nsf_meta      key, value: the format marker and version
//   view_folders  position (their order), name (UTF-8; "\" separates
//                 levels of a nested folder), is_folder, entry_count
//   vf_entries    vf_position, position, note_id: the ordered entries
//   notes         note_id, unid (32 hex digits), created, modified, added
//                 (seconds as in DateTimeValue), cal_type (0: not a calendar
//                 entry), cal_alarm (0 or 1)
//   items         item_id, note_id, position, name (UTF-8), type (LNITEMTYPE),
//                 flags (LNITEMFLAGS), value (a blob of ItemCodec)
//   attachments   attach_id, note_id, position, name (UTF-8), data
#pragma once

namespace notes::format {

inline constexpr const char* kFormatName = "marlwick-notes-database";
// Version 2 holds its text in UTF-8; version 1 held Windows-1252.
inline constexpr int kFormatVersion = 2;

inline constexpr const char* kCreateTablesSql = R"sql(
CREATE TABLE nsf_meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE view_folders(position INTEGER PRIMARY KEY, name BLOB NOT NULL,
    is_folder INTEGER NOT NULL, entry_count INTEGER NOT NULL);
CREATE TABLE vf_entries(vf_position INTEGER NOT NULL, position INTEGER NOT NULL,
    note_id INTEGER NOT NULL, PRIMARY KEY(vf_position, position)) WITHOUT ROWID;
CREATE TABLE notes(note_id INTEGER PRIMARY KEY, unid TEXT NOT NULL,
    created INTEGER NOT NULL, modified INTEGER NOT NULL, added INTEGER NOT NULL,
    cal_type INTEGER NOT NULL DEFAULT 0, cal_alarm INTEGER NOT NULL DEFAULT 0);
CREATE TABLE items(item_id INTEGER PRIMARY KEY, note_id INTEGER NOT NULL,
    position INTEGER NOT NULL, name BLOB NOT NULL, type INTEGER NOT NULL,
    flags INTEGER NOT NULL, value BLOB NOT NULL);
CREATE TABLE attachments(attach_id INTEGER PRIMARY KEY, note_id INTEGER NOT NULL,
    position INTEGER NOT NULL, name BLOB NOT NULL, data BLOB NOT NULL);
)sql";

// Made after the bulk of the rows is in, which is much faster than keeping
// them up to date row by row.
inline constexpr const char* kCreateIndexesSql = R"sql(
CREATE INDEX items_by_note ON items(note_id, position);
CREATE INDEX attachments_by_note ON attachments(note_id, position);
)sql";

} // namespace notes::format
