#include "ui/UiLayer.h"
#include "ui/SystemText.h"
#include "ui/WindowThread.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <utility>

namespace ui {
namespace testing {

struct Script::State {
    std::deque<MsgButton> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> folders;
    std::deque<std::optional<QString>> files;
    std::function<void(const Shown&)> hook;
    std::vector<Shown> shown;
    std::vector<Shown> unprimed;
    bool lenient = false;
    int halts = 0;
};

namespace {
Script::State* active = nullptr;
Script::FailureHook failureHook;
} // namespace

Script::Script() : state_(std::make_unique<State>()) {
    active = state_.get();
}
Script::~Script() {
    if (active == state_.get())
        active = nullptr;
}
void Script::answer(MsgButton button) {
    state_->answers.push_back(button);
}
void Script::input(std::optional<QString> text) {
    state_->inputs.push_back(std::move(text));
}
void Script::folder(std::optional<QString> path) {
    state_->folders.push_back(std::move(path));
}
void Script::file(std::optional<QString> path) {
    state_->files.push_back(std::move(path));
}
void Script::lenient() {
    state_->lenient = true;
}
void Script::onMessage(std::function<void(const Shown&)> hook) {
    state_->hook = std::move(hook);
}
const std::vector<Shown>& Script::shown() const {
    return state_->shown;
}
std::vector<QString> Script::texts() const {
    std::vector<QString> result;
    for (const auto& entry : state_->shown)
        result.push_back(entry.text);
    return result;
}
const std::vector<Shown>& Script::unprimed() const {
    return state_->unprimed;
}
Script::FailureHook Script::setFailureHook(FailureHook hook) {
    return std::exchange(failureHook, std::move(hook));
}
int Script::haltRequests() const {
    return state_->halts;
}
void Script::clear() {
    state_->shown.clear();
}

} // namespace testing

using testing::Shown;

namespace {

testing::Script::State* script() {
    return testing::active;
}

QString describe(const Shown& entry) {
    switch (entry.kind) {
    case Shown::Kind::Message:
        return QStringLiteral("message box \"%1\" (caption \"%2\")").arg(entry.text, entry.caption);
    case Shown::Kind::Input:
        return QStringLiteral("input box \"%1\" (caption \"%2\")").arg(entry.text, entry.caption);
    case Shown::Kind::Folder:
        return QStringLiteral("folder picker \"%1\"").arg(entry.caption);
    case Shown::Kind::File:
        return QStringLiteral("file picker");
    case Shown::Kind::Information:
    case Shown::Kind::Error:
        break;
    }
    return entry.text;
}

// A strict Script found nothing primed for the prompt it just recorded: the test relied on a
// default it never stated.
void reportUnprimed(const Shown& entry) {
    testing::Script::State& state = *script();
    if (state.lenient)
        return;
    state.unprimed.push_back(entry);
    const QString report = QStringLiteral("No answer primed for the ") + describe(entry);
    if (testing::failureHook)
        testing::failureHook(report);
    else
        std::fprintf(stderr, "%s\n", ToSystemText(report).c_str());
}

void record(const Shown& entry) {
    script()->shown.push_back(entry);
    if (script()->hook) {
        auto hook = script()->hook; // the hook may show boxes of its own
        hook(script()->shown.back());
    }
}

// The value primed for a value prompt; nothing primed cancels it. A primed value may itself be a cancel.
std::optional<QString> primedValue(std::deque<std::optional<QString>> testing::Script::State::*queue,
                                   const Shown& entry) {
    record(entry);
    auto& values = (*script()).*queue;
    if (values.empty()) {
        reportUnprimed(entry);
        return std::nullopt;
    }
    std::optional<QString> value = std::move(values.front());
    values.pop_front();
    return value;
}

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

constexpr std::pair<MsgButton, QMessageBox::StandardButton> kButtons[] = {
    {Ok, QMessageBox::Ok}, {Cancel, QMessageBox::Cancel}, {Yes, QMessageBox::Yes}, {No, QMessageBox::No}};

MsgButton escapeAnswer(unsigned buttons) {
    if (buttons & Cancel)
        return Cancel;
    if (buttons & No)
        return No;
    return Ok;
}

// A reply such as "<b>x</b>" is shown as the server sent it, not rendered.
void showsPlainText(QMessageBox& box, const QString& text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

// The window manager cuts a caption wider than its box ("Хранить па…е безопасно"), and the box sizes
// itself by its text alone, again at each new layout: after each of its own sizings it is widened to
// hold the caption in a title bar's bold font, with the title bar's icon and buttons beside it.
class CaptionedBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        if (isVisible() && width() < captionWidth())
            setFixedWidth(captionWidth());
        return handled;
    }

private:
    int captionWidth() const {
        constexpr int kTitleBarExtras = 160; // the window's icon, three buttons and the margins
        QFont titleFont = font();
        titleFont.setBold(true);
        const int wanted = QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarExtras;
        const QScreen* where = screen();
        return where ? std::min(wanted, where->availableGeometry().width()) : wanted;
    }
};

QString applicationCaption() {
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Ferrylo") : name;
}

} // namespace

QString Readable(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result.append(c);
            result.append(text.at(++i));
            continue;
        }
        const char16_t u = c.unicode();
        const bool kept = u == u'\t' || u == u'\n' || u == u'\r';
        const bool control = (u < 0x20 || (u >= 0x7F && u <= 0x9F)) && !kept;
        result.append(control || c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c);
    }
    return result;
}

MsgButton MessageBox(QWidget* owner, const QString& rawText, const QString& rawCaption, MsgIcon icon, unsigned buttons,
                     MsgButton defaultButton) {
    const QString text = Readable(rawText);
    const QString caption = Readable(rawCaption);
    if (script()) {
        const Shown entry{Shown::Kind::Message, owner, text, caption, icon, buttons, defaultButton};
        record(entry);
        if (script()->answers.empty()) {
            // A box with one button asks nothing: there is no answer to prime.
            if (std::popcount(buttons) > 1)
                reportUnprimed(entry);
            return defaultButton;
        }
        const MsgButton answer = script()->answers.front();
        script()->answers.pop_front();
        return answer;
    }
    CaptionedBox box(toQt(icon), caption, QString(), QMessageBox::NoButton, owner);
    showsPlainText(box, text);
    for (const auto& [ours, theirs] : kButtons)
        if (buttons & ours)
            box.addButton(theirs);
    for (const auto& [ours, theirs] : kButtons)
        if (ours == defaultButton)
            box.setDefaultButton(theirs);
    const int result = box.exec();
    for (const auto& [ours, theirs] : kButtons)
        if (result == theirs)
            return ours;
    return escapeAnswer(buttons);
}

void ShowMessage(const QString& rawText) {
    const QString text = Readable(rawText);
    if (script()) {
        record({Shown::Kind::Information, nullptr, text, applicationCaption(), MsgIcon::None, Ok, Ok});
        return;
    }
    CaptionedBox box(QMessageBox::NoIcon, applicationCaption(), QString(), QMessageBox::Ok,
                     QApplication::activeWindow());
    showsPlainText(box, text);
    box.exec();
}

void ShowError(const QString& rawMessage) {
    const QString message = Readable(rawMessage);
    if (script()) {
        record({Shown::Kind::Error, nullptr, message, applicationCaption(), MsgIcon::Error, Ok, Ok});
        return;
    }
    CaptionedBox box(QMessageBox::Critical, applicationCaption(), QString(), QMessageBox::Ok,
                     QApplication::activeWindow());
    showsPlainText(box, message);
    box.exec();
}

std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& defaultValue,
                                InputEcho echo) {
    if (script()) {
        return primedValue(&testing::Script::State::inputs,
                           {Shown::Kind::Input, nullptr, prompt, caption, MsgIcon::None, Ok | Cancel, Ok, echo});
    }
    bool accepted = false;
    const QLineEdit::EchoMode mode = echo == InputEcho::Password ? QLineEdit::Password : QLineEdit::Normal;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), caption, prompt, mode, defaultValue, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

std::optional<QString> ChooseFolder(QWidget* owner, const QString& title) {
    if (script()) {
        return primedValue(&testing::Script::State::folders,
                           {Shown::Kind::Folder, owner, QString(), title, MsgIcon::None, Ok | Cancel, Ok});
    }
    const QString path = QFileDialog::getExistingDirectory(owner, title, QString());
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> ChooseFile(QWidget* owner) {
    if (script()) {
        return primedValue(&testing::Script::State::files,
                           {Shown::Kind::File, owner, QString(), QString(), MsgIcon::None, Ok | Cancel, Ok});
    }
    const QString path = QFileDialog::getOpenFileName(owner);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void ProcessMessages() {
    // Only the window's thread has a message loop to turn; an upload thread reaches code that turns it too.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        QCoreApplication::processEvents();
        RunHandedWork();
    }
}

void HaltProgram() {
    if (script()) {
        ++script()->halts;
        return;
    }
    std::_Exit(0);
}

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowError(FromSystemText(error.what()));
    } catch (...) {
        // Something thrown that carries no message still must not end the program.
        ShowError(QStringLiteral("Неизвестная ошибка"));
    }
}

} // namespace ui
