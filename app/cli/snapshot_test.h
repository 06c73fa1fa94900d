#pragma once

class QTextStream;

// Writes a test snapshot for the widget, reads it back and reports both steps.
void snapshotTest(QTextStream& out);
