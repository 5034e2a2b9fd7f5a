#include "platform/Artwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace win {

namespace {

QString OwnPicture(const QString& name) {
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

// The XDG data folders, the user's first (each without a trailing "/").
QStringList DataFolders() {
    QStringList out;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty() && !qEnvironmentVariableIsEmpty("HOME"))
        home = qEnvironmentVariable("HOME") + QStringLiteral("/.local/share");
    if (!home.isEmpty()) out << home;
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& d : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        out << (d.endsWith(QLatin1Char('/')) ? d.chopped(1) : d);
    return out;
}

// Once: the icon folders of the XDG data folders are searched (the
// offscreen platform searches none), and a desktop that names no theme
// gets Adwaita when it is installed.
void PrepareThemes() {
    static bool done = false;
    if (done) return;
    done = true;
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& d : DataFolders()) {
        const QString icons = d + QStringLiteral("/icons");
        if (!paths.contains(icons) && QFileInfo(icons).isDir()) paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor")) return;
    for (const QString& p : paths)
        if (QFileInfo::exists(p + QStringLiteral("/Adwaita/index.theme"))) {
            QIcon::setThemeName(QStringLiteral("Adwaita"));
            return;
        }
}

} // namespace

QIcon ToolbarIcon(const QString& name) {
    if (QFile::exists(OwnPicture(name))) return QIcon(OwnPicture(name));
    PrepareThemes();
    // Themes that draw only symbolic pictures have the name with that tail.
    for (const QString& n : {name, name + QStringLiteral("-symbolic")})
        if (QIcon::hasThemeIcon(n)) return QIcon::fromTheme(n);
    return {};
}

QIcon ProgramIcon(const QString& name) {
    return QIcon(OwnPicture(name));
}

std::string DesktopIconName(const std::string& name) {
    const QString file = QStringLiteral("/icons/hicolor/scalable/apps/") +
                         QString::fromStdString(name) + QStringLiteral(".svg");
    const QStringList folders = DataFolders();
    for (const QString& d : folders)
        if (QFileInfo::exists(d + file)) return name;
    if (folders.isEmpty()) return name;
    QFile own(OwnPicture(QString::fromStdString(name)));
    if (!own.open(QIODevice::ReadOnly)) return name;
    const QString target = folders.front() + file;
    QDir().mkpath(QFileInfo(target).path());
    QSaveFile out(target);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(own.readAll());
        out.commit();
    }
    return name;
}

} // namespace win
