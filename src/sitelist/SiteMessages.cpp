#include "sitelist/SiteMessages.h"

#include "platform/CodePage.h"

namespace {
TMessageHook& Hook() {
    static TMessageHook hook;
    return hook;
}
} // namespace

QString QuillonTitle() {
    return QStringLiteral("站台列表");
}

TMessageHook SetMessageHook(TMessageHook hook) {
    TMessageHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

QMessageBox::StandardButton SiteMessageBox(QWidget* parent, TMsgKind kind, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString& caption) {
    QString title = caption.isEmpty() ? QuillonTitle() : caption;
    if (Hook()) return Hook()(kind, text, title);
    QMessageBox::Icon icon = kind == TMsgKind::Error         ? QMessageBox::Critical
                             : kind == TMsgKind::Warning     ? QMessageBox::Warning
                             : kind == TMsgKind::Information ? QMessageBox::Information
                                                             : QMessageBox::Question;
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void SiteError(QWidget* parent, const std::string& utf8) {
    SiteMessageBox(parent, TMsgKind::Error, QString::fromStdString(utf8));
}

bool ToBig5Exact(const QString& text, std::string& big5) {
    big5 = win::QStringToBig5(text);
    return win::Big5ToQString(big5) == text;
}

QString FromBig5(const std::string& big5) {
    return win::Big5ToQString(big5);
}
