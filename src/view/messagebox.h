#pragma once
// The reader's message boxes with their fixed texts; a run without boxes
// (tests, screenshots) prints each text to standard output instead.
#include <string>

class QWidget;

namespace readerbox {

// An OK box with the text.
void Message(QWidget* parent, const std::string& text);
// A Yes/No box; true only for Yes.
bool AskYesNo(QWidget* parent, const std::string& text);
// An OK/Cancel box; true only for OK.
bool AskOkCancel(QWidget* parent, const std::string& text);
// A plain beep.
void Beep();
// The file an open dialog returns ("" when cancelled). `filters` is in Qt's
// form ("Name (*.a *.b);;..."). With boxes printed, the dialog is shown as
// "FILEDIALOG: title" and returns the path set by SetPrintedFile.
std::string ChooseOpenFile(QWidget* parent, const std::string& title, const std::string& start,
                           const std::string& filters);
void SetPrintedFile(const std::string& path);
// With `print` set, no box is shown: the text is written as "MESSAGE: text"
// and questions are answered No.
void SetPrintInsteadOfBoxes(bool print);
bool PrintsInsteadOfBoxes();
// The answer printed questions get (No unless set).
void SetPrintedAnswer(bool yes);
// How many OK boxes (or printed messages) this run has shown so far.
int MessageCount();

}  // namespace readerbox
