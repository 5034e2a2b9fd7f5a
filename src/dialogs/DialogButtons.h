// The OK and Cancel buttons of the small dialogs: "確定(&O)" (the default
// button, accepts) and "取消(&C)" (rejects), right-aligned in one row.
#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace dialogs {

// Creates both buttons as children of dlg and returns their row.
QHBoxLayout* OkCancelRow(QDialog* dlg, QPushButton*& ok, QPushButton*& cancel);

} // namespace dialogs
