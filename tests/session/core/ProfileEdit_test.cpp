// Writing the settings files: the address book and exported scripts hold
// secrets and are the user's only; a new file that cannot be written on a
// full disk is not left behind empty.
#include "session/core/DirectoryFile.h"
#include "session/core/ProfileEdit.h"
#include "session/core/StrCrypt.h"

#include "platform/core/Files.h"
#include "support/FileAccess.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testsupport::FolderNames;
using testsupport::ModeOf;
using testsupport::TScratchFolder;

TEST(ProfileEdit, ABookWithSecretsIsTheUsersOnlyWhateverModeItHad) {
    TScratchFolder dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string book = dir.File("Directory.ini"), script = dir.File("sites.txt"),
                      keys = dir.File("Keys.ini");
    for (const auto& p : {book, script, keys}) {
        TScratchFolder::Write(p, "[bbs]\r\nHostname=127.0.0.1\r\n");
        ASSERT_EQ(::chmod(p.c_str(), 0644), 0);
    }
    session::TDirectoryFile(book).Edit([](win::TIniText& t) {
        session::WriteDirectoryPassword(t, "secret");
        t.Set("bbs", "LoginKey", session::EncodeStoredKey("guest^Mpw"));
    });
    session::WritePrivateFile(script, "telnet 127.0.0.1\r\nsend pw\r\n");
    session::WriteProfile(keys, win::TIniText("[Default]\r\n"));
    EXPECT_EQ(ModeOf(book), 0600);
    EXPECT_EQ(ModeOf(script), 0600);
    EXPECT_EQ(ModeOf(keys), 0644) << "a key map keeps the mode the user gave it";
    EXPECT_EQ(session::ReadDirectoryPassword(session::ReadProfile(book)), "secret");
    // Another user (where the test can become one and reaches the folder:
    // the key map tells) reads neither.
    if (testsupport::OtherUserCanRead(keys) == true) {
        EXPECT_EQ(testsupport::OtherUserCanRead(book), false);
        EXPECT_EQ(testsupport::OtherUserCanRead(script), false);
    }
}

TEST(ProfileEdit, ANewFileThatCannotBeWrittenIsNotLeftEmpty) {
    TScratchFolder dir;
    const std::string big(8192, 'k');
    {
        testsupport::TFileSizeLimit full(64);
        ASSERT_TRUE(full.Active);
        EXPECT_THROW(
            session::WriteProfile(dir.File("Keys.ini"), win::TIniText("[Default]\r\n" + big)),
            win::EFileError);
        EXPECT_THROW(session::TDirectoryFile(dir.File("Directory.ini")).Edit([&](win::TIniText& t) {
            t.Set("bbs", "AutoSendKey", big);
        }),
                     win::EFileError);
        EXPECT_THROW(session::WritePrivateFile(dir.File("sites.txt"), big), win::EFileError);
    }
    EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

} // namespace
