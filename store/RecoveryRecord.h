#pragma once

// What a recovery copy of a sheet with unsaved edits keeps beside the
// sheet's own bytes: which sheet file it belongs to and when it was written.
// It lives in a small UTF-8 file of the user's, and comes back from one that
// may be damaged.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct RecoveryRecord {
    std::string sheetPath; // code page 932; empty for a sheet never saved
    std::string writtenAt; // local time, "YYYY-MM-DD hh:mm:ss": sorts as time runs
    bool operator==(const RecoveryRecord&) const = default;
};

// A record file larger than this is none of the program's.
inline constexpr std::size_t recoveryRecordLimit = 64 * 1024;

std::string recoveryRecordText(const RecoveryRecord& record);
// Nothing for a text that is no such record: damaged, oversized, not UTF-8,
// or naming a path that code page 932 cannot hold, which no save could reach.
std::optional<RecoveryRecord> readRecoveryRecord(std::string_view text);

// The question that offers the copy back, naming the sheet and the copy's
// time: "リリィ.txt の保存されていない変更が残っています（12月9日 14:03）。…".
std::string recoveryQuestion(const RecoveryRecord& record);
