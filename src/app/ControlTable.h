#pragma once

#include <QString>
#include <vector>

// The kind of widget a control is.
enum class ControlKind
{
    Label,
    Button,
    CheckBox,
    EditLine,
    TextPane,
    Slider,
    SpinBox,
    ProgressBar,
    Panel,
};

// One control of the window: its object name, kind, caption, what a screen reader calls it and how it
// describes it, its place in the Tab order (0 for a control the Tab key skips), whether it starts checked,
// whether it takes the focus by mouse though the Tab key skips it, and whether its text changes while
// Corvane runs (a screen reader then reads the text with the name). The builder, the screen-reader texts,
// the Tab order and the tests all read this one table.
struct ControlRow
{
    QString objectName;
    ControlKind kind = ControlKind::Label;
    QString caption;
    QString accessibleName;
    QString description;
    int tabPosition = 0;
    bool initiallyChecked = false;
    bool clickFocus = false;
    bool textChanges = false;
};

const std::vector<ControlRow>& controlTable();
// The row of a control; throws std::out_of_range for a name the table does not hold.
const ControlRow& controlRow(const QString& objectName);
// The object names of the controls the Tab key visits, in Tab order.
std::vector<QString> tabOrder();

constexpr int MemoryButtonCount = 40;
QString memoryButtonName(int number); // "bCall1" .. "bCall40"
