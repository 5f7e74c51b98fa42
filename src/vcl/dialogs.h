// The open-file dialog and the message boxes.
#pragma once

#include "vcl/classes.h"

#include <functional>

namespace vcl {

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent *AOwner) : TComponent(AOwner) {}

    // Runs the modal dialog. True when the user confirmed a name, which is
    // then in FileName; false when they cancelled, and FileName is unchanged.
    bool Execute();

    String FileName;    // the last confirmed name, offered again at the next run
    String InitialDir;  // the folder the dialog opens in
    String Filter;      // "Description|*.EXT" pairs

    void SetProperty(const String &name, const TValue &value) override;

    // For tests only: when set, Execute calls this instead of showing the
    // dialog. It sees the dialog as it would be shown and returns the name
    // the user confirms, or an empty text for Cancel.
    static std::function<String(const TOpenDialog &)> ExecuteHook;
};

// A modal box with the text and an OK button.
void ShowMessage(const String &text);

enum class TMessageKind { Information, Error };

// For tests only: when set, message boxes are handed to it instead of shown.
void SetMessageBoxHook(std::function<void(TMessageKind, const String &caption, const String &text)> hook);

// Shows a modal message box (or hands it to the hook).
void showMessageBox(TMessageKind kind, const String &text);

} // namespace vcl
