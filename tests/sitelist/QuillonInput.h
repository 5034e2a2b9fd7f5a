// Using the site-list window as a person does: mouse clicks on the tree
// and list items and the toolbar buttons where they are drawn.
#pragma once
#include <Qt>

class QAction;
class TQuillonFrm;

// Clicks a folder of the tree (its parents are opened first so it shows).
void ClickFolder(TQuillonFrm& form, int node);
// Clicks a row of the site list; Ctrl adds it to the selection.
void ClickSite(TQuillonFrm& form, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Clicks the toolbar button of a command.
void ClickToolButton(TQuillonFrm& form, QAction* command);
