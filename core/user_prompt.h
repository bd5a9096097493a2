// The seam through which a worker (and the page-side questions) speak to the
// user: a message that says its kind, and the overwrite question. Each front
// end gives each kind its own form: the window program a message box's style
// and buttons (and the taskbar's colour), the command line a stream, a prefix
// and an exit code, tests a scripted recorder.
#pragma once

#include <string>
#include <utility>

// What a message is to the user.
enum class MessageKind {
    Error,      // something failed; the user acknowledges it
    Completion, // a job completed; the user acknowledges it
    Question,   // Yes or No
};

struct Message {
    MessageKind kind = MessageKind::Error;
    std::string caption; // the window's caption, e.g. "Error:" (may be empty)
    std::string text;
    // For an error: the system's words for the failure behind it ("No space
    // left on device"), and the file it concerns where the text does not name
    // it; both may be empty. The command line shows them; the window shows
    // the text alone.
    std::string reason;
    std::string file;
    bool defaultNo = false; // for a question: No is the answer that Enter gives

    static Message error(std::string caption, std::string text) {
        return make(MessageKind::Error, caption, text);
    }
    static Message completion(std::string caption, std::string text) {
        return make(MessageKind::Completion, caption, text);
    }
    static Message question(std::string caption, std::string text, bool defaultNo = false) {
        Message message = make(MessageKind::Question, caption, text);
        message.defaultNo = defaultNo;
        return message;
    }

private:
    static Message make(MessageKind kind, std::string& caption, std::string& text) {
        Message message;
        message.kind = kind, message.caption = std::move(caption), message.text = std::move(text);
        return message;
    }
};

// The answers, with the values the Windows API gives them.
constexpr int ANSWER_OK = 1;
constexpr int ANSWER_YES = 6;
constexpr int ANSWER_NO = 7;
constexpr int ANSWER_YES_TO_ALL = 1002; // IDC_YES_TO_ALL, the overwrite question's third button

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // Shows the message, with no owner window, and gives the answer:
    // ANSWER_OK for an error or a completion, ANSWER_YES or ANSWER_NO for a
    // question.
    virtual int show(const Message& message) = 0;
    // Asks whether the existing file at `path` may be replaced: ANSWER_YES,
    // ANSWER_YES_TO_ALL or ANSWER_NO. Keeps no memory of earlier answers.
    virtual int askOverwrite(const std::string& path) = 0;
};
