#pragma once
// What the user does with the mouse and the keyboard, sent as real input events through the
// controls' own handlers and key filters (synthetic_input.h). Each throws StepFailure
// when the user could not do it: a disabled or hidden control, a row that is not there.

#include <QDate>
#include <QKeyCombination>
#include <QString>
#include <vector>

#include "app/scenario/controls.h"

namespace app {

void clickControl(const ControlRef& control);
// Clicks tab `index` of a tab control.
void clickTab(QWidget* tabControl, int index);
// Replaces the text key by key.
void typeText(const ControlRef& control, const QString& text);
// Replaces the text through the clipboard, as Shift+Insert.
void pasteText(const ControlRef& control, const QString& text);
void pressKey(const ControlRef& control, QKeyCombination key);
// Focus goes to the control, then leaves it for the next control in tab order.
void leaveControl(const ControlRef& control);
// Sets a picker's value (its user property) as the user picking it; an invalid date clears it.
void pickDate(const ControlRef& control, const QDate& date);

// Rows are the grid's rows in the order shown, 0 first; the grid scrolls to them.
// A click in the row selector of the first row, then Ctrl+clicks for the others.
void gridSelect(const ControlRef& grid, const std::vector<int>& rows);
// A click / double click in the row's first cell.
void gridClick(const ControlRef& grid, int row);
void gridDoubleClick(const ControlRef& grid, int row);

// Officer search: types the number into the officer-select control's search box and clicks the
// officer in its list.
void selectOfficer(const ControlRef& control, const QString& id);

// Activates the control's window and gives the control the focus, as a click into it would.
void focusControl(QWidget* widget);

}  // namespace app
