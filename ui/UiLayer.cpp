#include "ui/UiLayer.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <cstdlib>
#include <deque>
#include <exception>

namespace ui {
namespace testing {

struct Script::State {
    std::deque<MsgButton> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> folders;
    std::deque<std::optional<QString>> files;
    std::function<void(const Shown&)> hook;
    std::vector<Shown> shown;
    int halts = 0;
};

namespace {
Script::State* active = nullptr;

template <typename T> std::optional<QString> takeFront(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    auto value = queue.front();
    queue.pop_front();
    return value;
}
} // namespace

Script::Script() : state_(new State) {
    active = state_;
}
Script::~Script() {
    if (active == state_)
        active = nullptr;
    delete state_;
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

void record(const Shown& entry) {
    script()->shown.push_back(entry);
    if (script()->hook) {
        auto hook = script()->hook; // the hook may show boxes of its own
        hook(script()->shown.back());
    }
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
        record({Shown::Kind::Message, owner, text, caption, icon, buttons, defaultButton});
        if (script()->answers.empty())
            return defaultButton;
        const MsgButton answer = script()->answers.front();
        script()->answers.pop_front();
        return answer;
    }
    QMessageBox box(toQt(icon), caption, QString(), QMessageBox::NoButton, owner);
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
    QMessageBox box(QMessageBox::NoIcon, applicationCaption(), QString(), QMessageBox::Ok,
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
    QMessageBox box(QMessageBox::Critical, applicationCaption(), QString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    showsPlainText(box, message);
    box.exec();
}

std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) {
    if (script()) {
        record({Shown::Kind::Input, nullptr, prompt, caption, MsgIcon::None, Ok | Cancel, Ok});
        return testing::takeFront(script()->inputs);
    }
    bool accepted = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt, QLineEdit::Normal,
                                               defaultValue, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

std::optional<QString> ChooseFolder(QWidget* owner, const QString& title) {
    if (script()) {
        record({Shown::Kind::Folder, owner, QString(), title, MsgIcon::None, Ok | Cancel, Ok});
        return testing::takeFront(script()->folders);
    }
    const QString path = QFileDialog::getExistingDirectory(owner, title, QString());
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> ChooseFile(QWidget* owner) {
    if (script()) {
        record({Shown::Kind::File, owner, QString(), QString(), MsgIcon::None, Ok | Cancel, Ok});
        return testing::takeFront(script()->files);
    }
    const QString path = QFileDialog::getOpenFileName(owner);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void ProcessMessages() {
    QCoreApplication::processEvents();
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
        ShowError(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace ui
