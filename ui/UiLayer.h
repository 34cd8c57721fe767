#pragma once
// The one door for every prompt the program shows: message boxes, questions, the input box,
// file and folder pickers, the standard error box, one turn of the message loop and the
// immediate end. Tests prime the answers and read back every text (see ui::testing::Script).

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace ui {

enum class MsgIcon { None, Information, Warning, Error, Question };

// A text as it may be shown: a server's reply reaches the user inside messages and log lines, and a
// NUL or a control character there would cut or blank what is drawn. Every such character becomes
// U+FFFD, as do halves of broken UTF-16 pairs; CR, LF and TAB stay. Nothing after them is lost.
QString Readable(const QString& text);

// Buttons of a message box; a box shows a combination, the answer is one of them.
enum MsgButton : unsigned { Ok = 1u << 0, Cancel = 1u << 1, Yes = 1u << 2, No = 1u << 3 };

// Modal message box owned by `owner`, plain text (never rich text). Closing it through its frame answers Cancel when
// the box has Cancel, otherwise No when it has No, otherwise Ok.
MsgButton MessageBox(QWidget* owner, const QString& text, const QString& caption, MsgIcon icon, unsigned buttons,
                     MsgButton defaultButton);

// The plain information box: the text and an OK button, captioned with the application's name.
void ShowMessage(const QString& text);

// The toolkit's standard error box for an error that escaped a handler.
void ShowError(const QString& message);

// How the input box shows what is typed: as it is, or as dots (a password).
enum class InputEcho { Normal, Password };

// Input box; the entered text, or nothing when cancelled.
std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& defaultValue,
                                InputEcho echo = InputEcho::Normal);

// Modal folder picker titled `title`; the chosen folder, or nothing when cancelled.
std::optional<QString> ChooseFolder(QWidget* owner, const QString& title);

// Modal file-open dialog (no filter, one file); the chosen file, or nothing when cancelled.
std::optional<QString> ChooseFile(QWidget* owner);

// Lets the message loop process what is pending, once; nothing on a thread other than the window's.
void ProcessMessages();

// Ends the process at once with exit code 0: no windows closed, nothing saved.
void HaltProgram();

// Runs a handler as the message loop does: an error that escapes it is shown in the standard
// error box ("Неизвестная ошибка" for one that is no std::exception) and the program goes on.
void RunHandler(const std::function<void()>& handler);

namespace testing {

struct Shown {
    enum class Kind { Message, Information, Error, Input, Folder, File };
    Kind kind;
    QWidget* owner = nullptr;
    QString text;    // message text or input prompt
    QString caption; // caption or picker title
    MsgIcon icon = MsgIcon::None;
    unsigned buttons = 0;
    MsgButton defaultButton = Ok;
    InputEcho echo = InputEcho::Normal; // of the input box
};

// While a Script lives, no real dialog opens: message boxes take the next primed answer, the input
// box and the pickers take the next primed value, and the immediate end is only counted. Every
// prompt is recorded in order.
//
// A Script is strict: a prompt that asks something (a box with more than one button, the input box,
// a picker) and finds nothing primed is a fault of the test. It is kept in unprimed(), reported
// through the failure hook, and then answered as a lenient Script does: the box takes its default
// button, the input box and the pickers are cancelled. A test that really means "whatever
// the default is" says so with lenient(). Information and error boxes have only OK and ask nothing.
class Script {
public:
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    void answer(MsgButton button);
    void input(std::optional<QString> text);
    void folder(std::optional<QString> path);
    void file(std::optional<QString> path);
    // Unprimed prompts take their default from now on, without a failure.
    void lenient();
    // Called when a message box is shown, after it was recorded and before it answers; lets a
    // test act "while the box is open" (for example, click something else).
    void onMessage(std::function<void(const Shown&)> hook);

    const std::vector<Shown>& shown() const;
    std::vector<QString> texts() const;         // texts of every prompt, in order
    const std::vector<Shown>& unprimed() const; // prompts a strict Script had no answer for
    int haltRequests() const;
    void clear(); // forgets what was shown; primed answers stay

    // Where a strict Script reports an unprimed prompt; the test support turns it into a test
    // failure. Without a hook the report goes to standard error. Returns the hook it replaces.
    using FailureHook = std::function<void(const QString& report)>;
    static FailureHook setFailureHook(FailureHook hook);

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace testing
} // namespace ui
