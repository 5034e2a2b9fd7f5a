#include "platform/DesktopShot.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace win {

namespace {

// Platforms that never show the program the screen: the offscreen and
// minimal ones have no screen, Wayland compositors refuse the grab.
bool PlatformRefuses(const QString& platform) {
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ||
           platform.startsWith(QLatin1String("wayland"));
}

} // namespace

TDesktopShot ComposeDesktop(const std::vector<TScreenPicture>& screens) {
    TDesktopShot shot;
    QRect all;
    for (const TScreenPicture& s : screens)
        if (s.Geometry.width() > 0 && s.Geometry.height() > 0) all = all.united(s.Geometry);
    if (all.isEmpty()) {
        shot.Failure = QStringLiteral("no screen");
        return shot;
    }
    shot.Origin = all.topLeft();
    shot.Image = QImage(all.size(), QImage::Format_RGB32);
    if (shot.Image.isNull()) {
        shot.Failure = QStringLiteral("desktop too large for one picture");
        return shot;
    }
    shot.Image.fill(Qt::black);
    QPainter p(&shot.Image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const TScreenPicture& s : screens) {
        if (s.Geometry.isEmpty() || s.Picture.isNull()) continue;
        QImage picture = s.Picture;
        // The picture's own ratio must not shrink it a second time.
        picture.setDevicePixelRatio(1.0);
        const QRect target(s.Geometry.topLeft() - shot.Origin, s.Geometry.size());
        p.drawImage(target, picture, picture.rect());
    }
    return shot;
}

QRect VirtualDesktop() {
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all = all.united(s->geometry());
    return all;
}

bool DesktopShotPossible(QString* why) {
    const QString platform = QGuiApplication::platformName();
    if (PlatformRefuses(platform)) {
        if (why)
            *why = QStringLiteral("the %1 platform gives no picture of the screen").arg(platform);
        return false;
    }
    if (QGuiApplication::screens().isEmpty()) {
        if (why) *why = QStringLiteral("no screen");
        return false;
    }
    return true;
}

TDesktopShot TakeDesktopShot() {
    TDesktopShot shot;
    if (!DesktopShotPossible(&shot.Failure)) return shot;
    std::vector<TScreenPicture> pictures;
    for (QScreen* s : QGuiApplication::screens()) {
        QImage picture = s->grabWindow(0).toImage();
        if (picture.isNull()) {
            shot.Failure = QStringLiteral("the screen %1 could not be read").arg(s->name());
            return shot;
        }
        pictures.push_back({s->geometry(), std::move(picture)});
    }
    return ComposeDesktop(pictures);
}

TDesktopShot BlackDesktop() {
    TDesktopShot shot;
    const QRect all = VirtualDesktop();
    shot.Origin = all.isEmpty() ? QPoint() : all.topLeft();
    shot.Image = QImage(all.isEmpty() ? QSize(1, 1) : all.size(), QImage::Format_RGB32);
    if (shot.Image.isNull()) shot.Image = QImage(1, 1, QImage::Format_RGB32);
    shot.Image.fill(Qt::black);
    return shot;
}

TDesktopShooter::TDesktopShooter(QObject* owner) : QObject(owner) {
    FTimer = new QTimer(this);
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, [this] { Finish(); });
}

bool TDesktopShooter::Possible() const {
    return Source ? true : DesktopShotPossible();
}

bool TDesktopShooter::Start(std::vector<TPart> parts, TDone done) {
    if (FPending) return false;
    FPending = true;
    FDone = std::move(done);
    FHidden = std::move(parts);
    FPartsHidden = false;
    QTimer::singleShot(0, this, [this] {
        if (FPending && !FPartsHidden) HideParts();
    });
    return true;
}

void TDesktopShooter::HideParts() {
    std::vector<TPart> asked = std::exchange(FHidden, {});
    FPartsHidden = true;
    for (TPart& part : asked)
        if (part.Hide && part.Hide()) FHidden.push_back(std::move(part));
    FTimer->start(std::max(0, Delay));
}

void TDesktopShooter::Cancel() {
    if (!FPending) return;
    FTimer->stop();
    FDone = {};
    std::vector<TPart> hidden = std::exchange(FHidden, {});
    // Parts not hidden yet have nothing to show again.
    if (FPartsHidden)
        for (TPart& part : hidden)
            if (part.Show) part.Show();
    FPartsHidden = false;
    FPending = false;
}

void TDesktopShooter::Finish() {
    TDesktopShot shot = Source ? Source() : TakeDesktopShot();
    if (!shot.Ok() && shot.Failure.isEmpty()) shot.Failure = QStringLiteral("no picture");
    // The picture is used while the parts are still hidden, so they come
    // back already showing it; a Start from in there is refused.
    if (TDone done = std::exchange(FDone, {})) done(shot);
    std::vector<TPart> hidden = std::exchange(FHidden, {});
    for (TPart& part : hidden)
        if (part.Show) part.Show();
    FPartsHidden = false;
    FPending = false;
}

} // namespace win
