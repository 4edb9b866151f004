#pragma once
// The preset-save form: a modeless overlay of the editor's window with four
// fields (name, author, description, usage) and the buttons Save and
// Cancel. Save hands the fields to the client, which either closes the form
// or keeps it open with an error shown (a name that cannot be a file name,
// a save that failed), so nothing the user typed is lost. Text is UTF-8;
// description and usage may hold LF line ends.
//
// The X11 form is drawn inside the editor's window; HeadlessSaveForm is
// filled in by a test.
//
// GUI thread only.

#include <cstddef>
#include <string>

namespace platform {

struct SaveFormFields {
    std::string name;
    std::string author;
    std::string description;
    std::string usage;
};

// The most bytes each field takes; typing stops there.
struct SaveFormLimits {
    size_t name = 255;
    size_t author = 127;
    size_t description = 511;
    size_t usage = 511;
};

class SaveFormClient {
public:
    virtual ~SaveFormClient() = default;
    // Save was pressed. The form stays open until the client closes it.
    virtual void saveFormAccepted(const SaveFormFields& fields) = 0;
    // Cancel was pressed (or Escape); the form is closed.
    virtual void saveFormCancelled() = 0;
};

class SaveForm {
public:
    virtual ~SaveForm() = default;
    // Opens the form with the fields filled in; a form that is open already
    // is closed first without an answer. False when it cannot be shown.
    virtual bool open(const SaveFormFields& fields, const SaveFormLimits& limits,
                      SaveFormClient* client) = 0;
    // Shows a line of error text in the open form (the empty text clears it).
    virtual void showError(const std::string& text) = 0;
    // Closes the form without an answer.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace platform
