#include "view/messagebox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <atomic>
#include <cstdio>

namespace readerbox {
namespace {
std::atomic<bool> s_print{false};
std::atomic<bool> s_printedAnswer{false};
std::atomic<int> s_messages{0};
// Dialogs run on the GUI thread only.
std::string s_printedFile;
}  // namespace

void SetPrintInsteadOfBoxes(bool print) { s_print = print; }
bool PrintsInsteadOfBoxes() { return s_print; }
void SetPrintedAnswer(bool yes) { s_printedAnswer = yes; }
int MessageCount() { return s_messages; }

void Message(QWidget* parent, const std::string& text) {
    ++s_messages;
    if (s_print) {
        std::printf("MESSAGE: %s\n", text.c_str());
        std::fflush(stdout);
        return;
    }
    QMessageBox::information(parent, QStringLiteral("Pagora"), QString::fromStdString(text));
}

bool AskYesNo(QWidget* parent, const std::string& text) {
    if (s_print) {
        std::printf("QUESTION: %s\n", text.c_str());
        std::fflush(stdout);
        return s_printedAnswer;
    }
    return QMessageBox::question(parent, QStringLiteral("Pagora"), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool AskOkCancel(QWidget* parent, const std::string& text) {
    if (s_print) {
        std::printf("QUESTION: %s\n", text.c_str());
        std::fflush(stdout);
        return s_printedAnswer;
    }
    return QMessageBox::question(parent, QStringLiteral("Pagora"), QString::fromStdString(text),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void Beep() { QApplication::beep(); }

std::string ChooseOpenFile(QWidget* parent, const std::string& title, const std::string& start,
                           const std::string& filters) {
    if (s_print) {
        std::printf("FILEDIALOG: %s\n", title.c_str());
        std::fflush(stdout);
        return s_printedFile;
    }
    return QFileDialog::getOpenFileName(parent, QString::fromStdString(title), QString::fromStdString(start),
                                        QString::fromStdString(filters), nullptr, QFileDialog::ReadOnly)
        .toStdString();
}

void SetPrintedFile(const std::string& path) { s_printedFile = path; }

}  // namespace readerbox
