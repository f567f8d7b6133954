#include "app/alert_forms.h"

#include <cstdio>

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "acquisition/alert_messages.h"
#include "app/window_fonts.h"

namespace {

constexpr double kDialogFontPoints = 9.75;
constexpr const char* kDialogFontFamily = "Microsoft Sans Serif";
constexpr QRect kMessageGeometry{0, 15, 359, 25};
constexpr QSize kButtonSize{80, 25};
constexpr QPoint kOkPosition{147, 70};
constexpr QPoint kYesPosition{97, 70};
constexpr QPoint kNoPosition{197, 70};

QFont dialogFont() {
    korin::registerFontSubstitutes();
    QFont font(QString::fromLatin1(kDialogFontFamily));
    font.setPointSizeF(kDialogFontPoints);
    return font;
}

// The label spans the dialog and stretches with it; the text sits in its middle.
QLabel* makeMessage(QDialog* dialog, const char* defaultText) {
    auto* label = new QLabel(QString::fromUtf8(defaultText), dialog);
    label->setObjectName("message");
    label->setGeometry(kMessageGeometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(dialogFont());
    return label;
}

QPushButton* makeButton(QDialog* dialog, const char* name, const char* caption, QPoint position) {
    auto* button = new QPushButton(QString::fromLatin1(caption), dialog);
    button->setObjectName(name);
    button->setGeometry(QRect(position, kButtonSize));
    button->setFont(dialogFont());
    button->setAutoDefault(false);
    return button;
}

void setUpFrame(QDialog* dialog, const char* title, int width, int height) {
    dialog->setWindowTitle(QString::fromLatin1(title));
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

}  // namespace

ShowAlertForm::ShowAlertForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ShowAlertForm");
    setUpFrame(this, korin::alerts::kInformationTitle, kClientWidth, kClientHeight);
    message = makeMessage(this, korin::alerts::kInformationDefaultText);
    okbutton = makeButton(this, "okbutton", "OK", kOkPosition);
    okbutton->setDefault(true);
    connect(okbutton, &QPushButton::clicked, this, &QDialog::accept);
}

ShowAlertForm::ShowAlertForm(const QString& text, QWidget* parent) : ShowAlertForm(parent) {
    message->setText(text);
}

ShowAlertForm2::ShowAlertForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("ShowAlertForm2");
    setUpFrame(this, korin::alerts::kQuestionTitle, kClientWidth, kClientHeight);
    message = makeMessage(this, korin::alerts::kQuestionDefaultText);
    Yesbutton = makeButton(this, "Yesbutton", "Yes", kYesPosition);
    Nobutton = makeButton(this, "Nobutton", "No", kNoPosition);
    connect(Yesbutton, &QPushButton::clicked, this, [this] {
        kaitou = 1;
        accept();
    });
    connect(Nobutton, &QPushButton::clicked, this, [this] {
        kaitou = 0;
        reject();
    });
}

ShowAlertForm2::ShowAlertForm2(const QString& text, QWidget* parent) : ShowAlertForm2(parent) {
    message->setText(text);
}

void ModalAlertSink::inform(const QString& text) {
    ShowAlertForm dialog(text, parent_);
    dialog.exec();
}

bool ModalAlertSink::ask(const QString& question) {
    ShowAlertForm2 dialog(question, parent_);
    dialog.exec();
    return dialog.kaitou == 1;
}

void ConsoleAlertSink::inform(const QString& text) {
    std::printf("alert: %s\n", text.toStdString().c_str());
    alerted = true;
}

bool ConsoleAlertSink::ask(const QString& question) {
    std::printf("question (answered No): %s\n", question.toStdString().c_str());
    return false;
}
