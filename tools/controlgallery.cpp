// controlgallery: draws every custom control in its states on Qt's
// offscreen platform and saves the sheet as a PNG.
//
//   controlgallery -o OUT.png
#include "controls/AddOnDock.h"
#include "controls/Bmplbox.h"
#include "controls/DockCtls.h"
#include "controls/HotBitBtn.h"
#include "controls/LblEffct.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// A 16 x 16 glyph: a teal page with a black fold on olive, the
// see-through colour (bottom-left pixel).
QImage SampleGlyph() {
    QImage g(16, 16, QImage::Format_RGB32);
    g.fill(qRgb(128, 128, 0));
    QPainter p(&g);
    p.fillRect(3, 1, 10, 14, qRgb(0, 128, 128));
    p.fillRect(4, 4, 8, 1, qRgb(0, 0, 0));
    p.fillRect(4, 7, 8, 1, qRgb(0, 0, 0));
    p.fillRect(4, 10, 5, 1, qRgb(0, 0, 0));
    return g;
}

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, {});
    QApplication::sendEvent(w, &e);
}

struct TCell {
    QString Title;
    QPixmap Picture;
};

// Makes a widget in a scratch parent, lets prepare set its state, grabs it.
template <class W>
TCell Shot(const QString& title, QSize size, const std::function<void(W*)>& prepare) {
    QWidget host;
    host.resize(size + QSize(8, 8));
    auto* w = new W(&host);
    w->setGeometry(QRect(QPoint(4, 4), size));
    host.show();
    // An active window: flat buttons show their inactive-application
    // borders otherwise, and every state would look alike.
    QApplication::setActiveWindow(&host);
    QApplication::processEvents();
    prepare(w);
    QApplication::processEvents();
    TCell cell{title, w->grab()};
    // Release anything still held so no state leaks into the next shot.
    w->setEnabled(false);
    return cell;
}

void Row(QPainter& p, int& y, const QString& heading, const std::vector<TCell>& cells) {
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(8, y + 14, heading);
    p.setFont(QFont());
    y += 20;
    int x = 8, rowHeight = 0;
    for (const TCell& c : cells) {
        const int w = std::max(c.Picture.width(), p.fontMetrics().horizontalAdvance(c.Title));
        if (x + w > 1000) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        p.drawPixmap(x, y, c.Picture);
        p.drawText(x, y + c.Picture.height() + 14, c.Title);
        x += w + 14;
        rowHeight = std::max(rowHeight, c.Picture.height() + 18);
    }
    y += rowHeight + 12;
}

std::vector<TCell> Buttons() {
    using B = TToolbarButton;
    const QImage glyph = SampleGlyph();
    static QMenu menu;
    if (menu.isEmpty()) menu.addAction("item");
    const QSize size(58, 24);
    auto plain = [&](B* b) {
        b->SetGlyph(glyph);
        b->SetCaption("Open");
    };
    std::vector<TCell> cells;
    cells.push_back(Shot<B>("up", size, plain));
    cells.push_back(Shot<B>("hot", size, [&](B* b) {
        plain(b);
        b->SetShowBorderWhenInactive(true);
        Send(b, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    }));
    cells.push_back(Shot<B>("pressed", size, [&](B* b) {
        plain(b);
        Send(b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    }));
    cells.push_back(Shot<B>("latched", size, [&](B* b) {
        plain(b);
        b->SetGroupIndex(1);
        b->SetDown(true);
    }));
    cells.push_back(Shot<B>("disabled", size, [&](B* b) {
        plain(b);
        b->setEnabled(false);
    }));
    cells.push_back(Shot<B>("raised", size, [&](B* b) {
        plain(b);
        b->SetFlat(false);
    }));
    cells.push_back(Shot<B>("menu arrow", QSize(70, 24), [&](B* b) {
        plain(b);
        b->SetDropdownMenu(&menu);
        b->SetShowBorderWhenInactive(true);
        Send(b, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    }));
    cells.push_back(Shot<B>("split arrow", QSize(58, 24), [&](B* b) {
        plain(b);
        b->SetDropdownMenu(&menu);
        b->SetDropdownCombo(true);
        b->SetShowBorderWhenInactive(true);
        Send(b, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    }));
    cells.push_back(Shot<B>("disabled split", QSize(58, 24), [&](B* b) {
        plain(b);
        b->SetDropdownMenu(&menu);
        b->SetDropdownCombo(true);
        b->setEnabled(false);
    }));
    const char* names[] = {"glyph left", "glyph right", "glyph top", "glyph bottom"};
    for (int l = 0; l < 4; ++l)
        cells.push_back(Shot<B>(names[l], l < 2 ? size : QSize(58, 44), [&](B* b) {
            plain(b);
            b->SetLayout(TButtonLayout(l));
            b->SetFlat(false);
        }));
    return cells;
}

std::vector<TCell> Spins() {
    std::vector<TCell> cells;
    cells.push_back(Shot<TSpin>("vertical", QSize(20, 25), [](TSpin*) {}));
    cells.push_back(Shot<TSpin>("horizontal", QSize(40, 20), [](TSpin* s) {
        s->SetKind(skHorizontal);
        s->SetFlat(false);
    }));
    cells.push_back(Shot<TSpin>("up held", QSize(20, 25), [](TSpin* s) {
        Send(s->UpButton(), QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton);
    }));
    return cells;
}

std::vector<TCell> Labels(bool styles) {
    using L = TLabelEffect;
    std::vector<TCell> cells;
    const QSize size(150, 40);
    if (styles) {
        const char* names[] = {"esNone",   "esCustom", "esRaised",
                               "esSunken", "esShadow", "esFlying"};
        for (int s = 0; s < 6; ++s)
            cells.push_back(Shot<L>(names[s], size, [&](L* l) {
                l->SetCaption("Effect");
                if (s == controls::esCustom) {
                    l->SetStyleShadow(controls::eoGraduated);
                    l->SetDepthShadow(4);
                    l->SetGraduateShadow(0xFFFFFF);
                } else {
                    l->SetEffectStyle(controls::TEffectStyle(s));
                }
            }));
        cells.push_back(Shot<L>("extrude, expand", size, [](L* l) {
            l->SetCaption("Effect");
            l->SetResizeShadow(controls::rsExpand);
            l->SetDepthShadow(3);
        }));
        cells.push_back(Shot<L>("face graduated", size, [](L* l) {
            l->SetCaption("Effect");
            l->SetGraduateFace(controls::goVertical);
            l->SetGraduateFrom(0x0000FF);
        }));
        cells.push_back(Shot<L>("90 degrees", QSize(44, 130), [](L* l) {
            l->SetCaption("Effect");
            l->SetAngle(90);
        }));
        cells.push_back(Shot<L>("90, esNone", QSize(44, 130), [](L* l) {
            l->SetCaption("Effect");
            l->SetEffectStyle(controls::esNone);
            l->SetAngle(90);
        }));
        cells.push_back(Shot<L>("as button, pressed", size, [](L* l) {
            l->SetCaption("Effect");
            l->SetAsButton(true);
            Send(l, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        }));
    } else {
        const char* names[] = {"csCustom",   "csText", "csWindows",
                               "csEmbossed", "csGold", "csSteel"};
        for (int c = 0; c < 6; ++c)
            cells.push_back(Shot<L>(names[c], size, [&](L* l) {
                l->SetCaption("Scheme");
                if (c == controls::csCustom) {
                    l->SetColourHighlight(0x00C0FF);
                    l->SetColourShadow(0x400040);
                    l->SetColourFace(0x804000);
                } else {
                    l->SetColourScheme(controls::TColourScheme(c));
                }
            }));
    }
    return cells;
}

std::vector<TCell> SmallControls() {
    std::vector<TCell> cells;
    cells.push_back(Shot<TBmpListBox>("session states", QSize(150, 100), [](TBmpListBox* box) {
        box->SetBitmapStrip(SessionStateStrip(12));
        box->SetBmpItemWidth(12);
        const char* names[] = {"idle", "connecting", "connected", "bell"};
        for (int s = 0; s < 4; ++s) {
            auto* item = new QListWidgetItem(names[s], box);
            TBmpListBox::SetItemValue(item, controls::PictureValue(s));
        }
    }));
    auto hot = [](const QString& title, int how) {
        return Shot<THotBitBtn>(title, QSize(80, 26), [how](THotBitBtn* b) {
            b->SetCaption("Send");
            b->SetGlyph(SampleGlyph());
            if (how >= 1) {
                QEnterEvent e(QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)),
                              b->mapToGlobal(QPointF(5, 5)));
                QApplication::sendEvent(b, &e);
            }
            if (how == 2) Send(b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        });
    };
    cells.push_back(hot("hot button", 0));
    cells.push_back(hot("hot button, hot", 1));
    cells.push_back(hot("hot button, down", 2));
    return cells;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-o") && i + 1 < argc)
            out = argv[++i];
        else {
            std::fprintf(stderr, "usage: controlgallery -o OUT.png\n");
            return 2;
        }
    }
    if (!out) {
        std::fprintf(stderr, "usage: controlgallery -o OUT.png\n");
        return 2;
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // The pointer far from every shot, so only the shots that ask for it
    // are hot.
    QCursor::setPos(5000, 5000);

    QImage sheet(1020, 900, QImage::Format_RGB32);
    sheet.fill(QApplication::palette().color(QPalette::Window));
    {
        QPainter p(&sheet);
        int y = 8;
        Row(p, y, "Toolbar buttons", Buttons());
        Row(p, y, "Spin buttons", Spins());
        Row(p, y, "Effects label: styles", Labels(true));
        Row(p, y, "Effects label: colour schemes", Labels(false));
        Row(p, y, "Bitmap list box and hot bitmap button", SmallControls());
        p.end();
        sheet = sheet.copy(0, 0, sheet.width(), std::min(sheet.height(), y + 8));
    }
    if (!sheet.save(QString::fromLocal8Bit(out), "PNG")) {
        std::fprintf(stderr, "controlgallery: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
