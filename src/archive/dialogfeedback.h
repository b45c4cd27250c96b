#pragma once
// What a dialog model needs from its window: beeps, messages and Yes/No questions.

#include <string>

class IDialogFeedback {
public:
    enum class BeepKind { Plain, Default };
    virtual ~IDialogFeedback() = default;
    virtual void Beep(BeepKind kind) = 0;
    // An OK message box with `text`.
    virtual void ShowMessage(const std::string& text) = 0;
    // A Yes/No box; true only for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

// How a dialog button left the dialog.
enum class DialogOutcome { StayOpen, Ok, Cancel };
