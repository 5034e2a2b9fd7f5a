// The programs' pictures and the toolkit's Chinese: toolbar pictures by
// freedesktop name (theme or our own), the program icons, the icon copied
// for desktop entries, and the standard buttons once the toolkit's
// translation is loaded.
#include "platform/Artwork.h"
#include "platform/ToolkitTranslation.h"

#include "../support/SandboxHome.h"
#include "../support/ScratchFolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

bool AdwaitaInstalled() {
    return QFileInfo::exists(QStringLiteral("/usr/share/icons/Adwaita/index.theme"));
}

// Sets an environment variable for the scope and puts the old value back.
class TEnvVar {
public:
    TEnvVar(const char* name, const std::string& value) : Name(name) {
        if (const char* v = std::getenv(name)) Old = v;
        ::setenv(name, value.c_str(), 1);
    }
    ~TEnvVar() {
        if (Old)
            ::setenv(Name, Old->c_str(), 1);
        else
            ::unsetenv(Name);
    }

private:
    const char* Name;
    std::optional<std::string> Old;
};

} // namespace

// Our own pictures are there whatever the desktop; theme names come from
// the desktop's theme (Adwaita where it names none); an unknown name has
// no picture rather than a wrong one.
TEST(Artwork, ToolbarPicturesComeFromTheThemeOrOurOwn) {
    for (const char* own : {"bp-connect", "bp-disconnect", "bp-connect-dialog", "bp-connect-all",
                            "bp-site-new", "bp-talk-previous", "bp-talk-next", "bp-send-line"}) {
        const QIcon icon = win::ToolbarIcon(QString::fromLatin1(own));
        EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << own;
    }
    EXPECT_TRUE(win::ToolbarIcon(QStringLiteral("bp-no-such-picture")).isNull());
    if (!AdwaitaInstalled()) GTEST_SKIP() << "adwaita-icon-theme is not installed";
    for (const char* themed :
         {"edit-copy", "edit-paste", "go-previous", "go-next", "system-run",
          "x-office-address-book", "view-list", "preferences-system", "input-keyboard", "mail-send",
          "edit-find", "folder-new", "document-properties", "edit-delete", "edit-cut"}) {
        const QIcon icon = win::ToolbarIcon(QString::fromLatin1(themed));
        EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << themed;
    }
}

TEST(Artwork, BothProgramsHaveTheirIcon) {
    for (const char* name : {"brannocpro", "quillon"}) {
        const QImage image = win::ProgramIcon(QString::fromLatin1(name)).pixmap(48, 48).toImage();
        ASSERT_FALSE(image.isNull()) << name;
        // Drawn, not empty: the middle of the picture is not see-through.
        EXPECT_GT(qAlpha(image.pixel(24, 30)), 0) << name;
    }
}

// Before an install the icon is copied into the user's icon folder, once
// (a changed copy is left as the user has it); with the icon installed in
// a data folder of the desktop nothing is copied. The name is the same.
TEST(Artwork, DesktopEntriesFindTheIconByName) {
    testpeer::TSandboxHome home;
    testsupport::TScratchFolder system;
    TEnvVar dirs("XDG_DATA_DIRS", system.Path());
    const std::string copy = home.Root() + "/data/icons/hicolor/scalable/apps/brannocpro.svg";

    EXPECT_EQ(win::DesktopIconName("brannocpro"), "brannocpro");
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_NE(testsupport::TScratchFolder::Read(copy).find("<svg"), std::string::npos);
    testsupport::TScratchFolder::Write(copy, "<svg/>");
    EXPECT_EQ(win::DesktopIconName("brannocpro"), "brannocpro");
    EXPECT_EQ(testsupport::TScratchFolder::Read(copy), "<svg/>");

    std::filesystem::remove(copy);
    const std::string installed = system.File("icons/hicolor/scalable/apps/brannocpro.svg");
    std::filesystem::create_directories(std::filesystem::path(installed).parent_path());
    testsupport::TScratchFolder::Write(installed, "<svg/>");
    EXPECT_EQ(win::DesktopIconName("brannocpro"), "brannocpro");
    EXPECT_FALSE(std::filesystem::exists(copy));
}

// With the toolkit's translation the standard buttons of every message box
// and button row are Chinese, as the rest of the programs' texts are.
TEST(Artwork, StandardButtonsSpeakChineseOnceTheTranslationIsLoaded) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_zh_TW.qm")))
        GTEST_SKIP() << "qt6-translations-l10n is not installed";
    ASSERT_TRUE(win::LoadToolkitTranslation());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Brannoc"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    auto text = [&](QMessageBox::StandardButton b) {
        return box.button(b)->text().remove(QLatin1Char('&'));
    };
    EXPECT_TRUE(text(QMessageBox::Yes).startsWith(QString::fromUtf8("是")))
        << text(QMessageBox::Yes).toStdString();
    EXPECT_TRUE(text(QMessageBox::No).startsWith(QString::fromUtf8("否")))
        << text(QMessageBox::No).toStdString();
    EXPECT_TRUE(text(QMessageBox::Ok).startsWith(QString::fromUtf8("確定")))
        << text(QMessageBox::Ok).toStdString();
    EXPECT_TRUE(text(QMessageBox::Cancel).startsWith(QString::fromUtf8("取消")))
        << text(QMessageBox::Cancel).toStdString();
    QDialogButtonBox row(QDialogButtonBox::Open | QDialogButtonBox::Save);
    EXPECT_FALSE(row.button(QDialogButtonBox::Save)->text().contains(QStringLiteral("Save")));
}
