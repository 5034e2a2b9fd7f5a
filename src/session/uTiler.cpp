#include "session/uTiler.h"

#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QWidget>

TTiler::TTiler(QWidget* owner, bool automaticAttach)
    : QObject(owner), Owner_(owner), AutomaticAttach_(automaticAttach) {
    if (!owner || !owner->isWindow())
        throw ETiler("Can't attach TTiler component to something else than a TForm.");
    if (AutomaticAttach_) Attach();
}

TTiler::~TTiler() {
    if (Target_) Target_->removeEventFilter(this);
    if (Mdi_) {
        Mdi_->setBackground(SavedBrush_);
    } else if (Target_) {
        QPalette pal = Target_->palette();
        pal.setBrush(QPalette::Window, SavedBrush_);
        Target_->setPalette(pal);
    }
}

void TTiler::Attach() {
    if (Target_ || !Owner_) return;
    auto* main = qobject_cast<QMainWindow*>(Owner_.data());
    QMdiArea* mdi = main ? qobject_cast<QMdiArea*>(main->centralWidget()) : nullptr;
    if (!mdi && main) mdi = main->findChild<QMdiArea*>();
    if (mdi) {
        Mdi_ = mdi;
        SavedBrush_ = mdi->background();
        Target_ = mdi->viewport();
    } else {
        Target_ = Owner_;
        SavedBrush_ = Owner_->palette().brush(QPalette::Window);
        Target_->setAutoFillBackground(true);
    }
    Target_->installEventFilter(this);
}

QBrush TTiler::OwnBrush() const {
    return SavedBrush_;
}

QPixmap TTiler::Rendered() const {
    if (!Target_) return {};
    QSize size = Target_->size();
    QPixmap out(size.isEmpty() ? QSize(1, 1) : size);
    QPainter p(&out);
    p.fillRect(out.rect(), OwnBrush());
    if (!Active_ || Bitmap_.isNull()) return out;
    auto place =
        TilePlacement(Mode_, size.width(), size.height(), Bitmap_.width(), Bitmap_.height());
    if (!place) return out;
    QRect r(place->X, place->Y, place->Width, place->Height);
    if (Mode_ == TTileMode::tmTile)
        p.drawTiledPixmap(out.rect(), Bitmap_);
    else if (Mode_ == TTileMode::tmStretch)
        p.drawPixmap(r, Bitmap_);
    else
        p.drawPixmap(r.topLeft(), Bitmap_);
    return out;
}

void TTiler::Paint() {
    if (!Target_) return;
    if (!Active_ || Bitmap_.isNull()) {
        if (Mdi_) {
            Mdi_->setBackground(SavedBrush_);
        } else {
            QPalette pal = Target_->palette();
            pal.setBrush(QPalette::Window, SavedBrush_);
            Target_->setPalette(pal);
        }
        Target_->update();
        return;
    }
    QBrush brush(Rendered());
    if (Mdi_) {
        Mdi_->setBackground(brush);
    } else {
        QPalette pal = Target_->palette();
        pal.setBrush(QPalette::Window, brush);
        Target_->setPalette(pal);
    }
    Target_->update();
}

void TTiler::SetActive(bool value) {
    Attach();
    if (value == Active_) return;
    Active_ = value;
    Paint();
}

void TTiler::SetBitmap(const QPixmap& picture) {
    Bitmap_ = picture;
    Attach();
    if (Active_) Paint();
}

void TTiler::SetTileMode(TTileMode mode) {
    if (mode == Mode_) return;
    Mode_ = mode;
    if (Active_) {
        SetActive(false);
        SetActive(true);
    }
}

void TTiler::Refresh() {
    bool was = Active_;
    SetActive(false);
    SetActive(was);
}

bool TTiler::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Target_ && e->type() == QEvent::Resize && Active_ && !Bitmap_.isNull()) Paint();
    return QObject::eventFilter(watched, e);
}
