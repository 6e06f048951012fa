#pragma once

#include <QString>
#include <vector>

// One control of the window: its object name, caption, what a screen reader calls it and how it describes
// it, and its place in the Tab order (0 for a control the Tab key skips). The builder, the screen-reader
// texts, the Tab order and the tests all read this one table.
struct ControlRow
{
    QString objectName;
    QString caption;
    QString accessibleName;
    QString description;
    int tabPosition = 0;
};

const std::vector<ControlRow>& controlTable();
// The row of a control; throws std::out_of_range for a name the table does not hold.
const ControlRow& controlRow(const QString& objectName);
// The object names of the controls the Tab key visits, in Tab order.
std::vector<QString> tabOrder();

constexpr int MemoryButtonCount = 40;
QString memoryButtonName(int number); // "bCall1" .. "bCall40"
