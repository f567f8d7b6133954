// The system's two modal message dialogs, and the seam through which the window
// shows them, so that a test can answer them without a person.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

// Information dialog: one message and "OK".
class ShowAlertForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 359;
    static constexpr int kClientHeight = 111;

    explicit ShowAlertForm(QWidget* parent = nullptr);
    explicit ShowAlertForm(const QString& text, QWidget* parent = nullptr);

    QLabel* message;
    QPushButton* okbutton;
};

// Yes/no question. `kaitou` is 1 after Yes; it starts at 0, so No and closing
// the dialog by its frame both answer No.
class ShowAlertForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 359;
    static constexpr int kClientHeight = 111;

    explicit ShowAlertForm2(QWidget* parent = nullptr);
    explicit ShowAlertForm2(const QString& text, QWidget* parent = nullptr);

    QLabel* message;
    QPushButton* Yesbutton;
    QPushButton* Nobutton;
    std::uint8_t kaitou = 0;
};

// How the window puts a message in front of the user.
class AlertSink {
public:
    virtual ~AlertSink() = default;
    // Shows the information dialog; returns when it is closed.
    virtual void inform(const QString& text) = 0;
    // Asks with the yes/no dialog; true for Yes.
    virtual bool ask(const QString& question) = 0;
};

// The user's sink: one modal dialog per message, discarded after it closes.
class ModalAlertSink : public AlertSink {
public:
    explicit ModalAlertSink(QWidget* parent) : parent_(parent) {}
    void inform(const QString& text) override;
    bool ask(const QString& question) override;

private:
    QWidget* parent_;
};

// For unattended programs (soak, benchmarks): prints each message, answers every
// question No, and remembers whether anything was said.
class ConsoleAlertSink : public AlertSink {
public:
    void inform(const QString& text) override;
    bool ask(const QString& question) override;
    bool alerted = false;
};
