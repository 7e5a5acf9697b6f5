// The rows of a built NSF, read and damaged through SQLite as a fault of the
// file would damage them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

namespace enginetest {

inline void DamageNsf(const std::filesystem::path& nsf, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(nsf.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The note id of the note whose item of that name holds the text, in hex
// as the activity log shows it; "" when there is none.
inline std::string NoteIdWithText(const std::filesystem::path& nsf, const char* item, const std::string& text)
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(nsf.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT note_id, value FROM items WHERE CAST(name AS TEXT) = ?", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, item, -1, SQLITE_STATIC);
    std::string id;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, 1));
        const std::string value(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, 1)));
        if (value.find(text) != std::string::npos) {
            char hex[32];
            std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(sqlite3_column_int64(statement, 0)));
            id = hex;
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return id;
}

// The decimal form of a hex note id, for SQL.
inline std::string DecimalId(const std::string& hex)
{
    return std::to_string(std::stoll(hex, nullptr, 16));
}

// The lines of the log that report a lost document.
inline std::vector<std::string> LossLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> losses;
    for (const auto& line : lines) {
        if (line.rfind("Not converted : ", 0) == 0)
            losses.push_back(line);
    }
    return losses;
}

} // namespace enginetest
