// Message boxes of the site-list program, and the Big5 boundary for text
// typed into its widgets. Tests answer the boxes through a hook.
#pragma once
#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>

enum class TMsgKind { Error, Warning, Information, Confirmation };

// The program's title: the main window's caption with nothing selected, and
// the caption of its message boxes.
QString QuillonTitle();

// Shows a modal box (or asks the hook) and returns the button pressed.
QMessageBox::StandardButton SiteMessageBox(QWidget* parent, TMsgKind kind, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& caption = {});
// Shows a UTF-8 message with one OK button.
void SiteError(QWidget* parent, const std::string& utf8);

using TMessageHook = std::function<QMessageBox::StandardButton(TMsgKind, const QString& text,
                                                               const QString& caption)>;
// Replaces the boxes (tests); returns the previous hook.
TMessageHook SetMessageHook(TMessageHook hook);

// The Big5 form of typed text; false when some character has none.
bool ToBig5Exact(const QString& text, std::string& big5);
QString FromBig5(const std::string& big5);
