#include "store/FileStamp.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

void laterTime(const std::string& path) {
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(10));
}

// Each case changes the sheet's file after the window has read it, and is
// asked twice: a change must not be forgotten, a time taken over must not
// make the file change.
TEST(FileStamp, TellsAChangeByOthersFromTheWindowsOwn) {
    ScratchFolder folder;
    const std::string path = folder.file("lily.txt");
    const std::string bytes = "Lily\r\n";
    const struct {
        const char* what;
        std::function<void(FileStamp&)> change;
        FileChange expected;
    } cases[] = {
        {"nothing", [](FileStamp&) {}, FileChange::unchanged},
        {"its size", [&](FileStamp&) { writeBytes(path, bytes + "x"); }, FileChange::changed},
        {"its time alone", [&](FileStamp&) { laterTime(path); }, FileChange::unchanged},
        {"its bytes, the size kept",
         [&](FileStamp&) {
             writeBytes(path, "Mika\r\n");
             laterTime(path);
         },
         FileChange::changed},
        {"deleted", [&](FileStamp&) { std::filesystem::remove(path); }, FileChange::gone},
        {"renamed", [&](FileStamp&) { std::filesystem::rename(path, path + ".old"); }, FileChange::gone},
        {"unreadable: a folder in its place",
         [&](FileStamp&) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         },
         FileChange::changed},
        {"written between the window's look and its read",
         [&](FileStamp& seen) {
             const FileLook look = lookAtFile(path);
             writeBytes(path, "Mika\r\n");
             laterTime(path);
             seen = stampOfBytes(look, "Mika\r\n");
         },
         FileChange::unchanged},
        {"the window's own save",
         [&](FileStamp& seen) {
             writeBytes(path, "Nana, a longer name\r\n");
             seen = stampOfWritten(path, "Nana, a longer name\r\n");
         },
         FileChange::unchanged},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(path);
        writeBytes(path, bytes);
        FileStamp seen = stampOfFile(path);
        c.change(seen);
        EXPECT_EQ(changeSince(seen, path), c.expected) << c.what;
        EXPECT_EQ(changeSince(seen, path), c.expected) << c.what << ", asked again";
    }
}

} // namespace
