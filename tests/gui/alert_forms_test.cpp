// The two alert dialogs: texts, titles, sizes, and how they are answered.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/alert_forms.h"
#include "acquisition/alert_messages.h"
#include "tests/gui/gui_test_support.h"

TEST(AlertForms, InformationDialogIsAlertWithDefaultTextAndOk) {
    ShowAlertForm dialog;
    EXPECT_EQ(dialog.windowTitle(), "Alert!");
    EXPECT_EQ(dialog.size(), QSize(359, 111));
    EXPECT_EQ(dialog.message->text(), "DAQmx Error");
    EXPECT_EQ(dialog.okbutton->text(), "OK");
}

TEST(AlertForms, InformationDialogPlacesItsMessageAndButton) {
    ShowAlertForm dialog;
    EXPECT_EQ(dialog.message->geometry(), QRect(0, 15, 359, 25));
    EXPECT_EQ(dialog.message->alignment(), Qt::AlignCenter);
    EXPECT_EQ(dialog.okbutton->geometry(), QRect(147, 70, 80, 25));
    EXPECT_EQ(dialog.message->font().family(), "Microsoft Sans Serif");
    EXPECT_DOUBLE_EQ(dialog.message->font().pointSizeF(), 9.75);
}

TEST(AlertForms, MessageConstructorReplacesTheDefaultText) {
    ShowAlertForm dialog("Please specify an output folder.");
    EXPECT_EQ(dialog.message->text(), "Please specify an output folder.");
}

TEST(AlertForms, OkClosesTheInformationDialog) {
    ShowAlertForm dialog("x");
    dialog.show();
    dialog.okbutton->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(AlertForms, QuestionDialogIsSaveWithYesAndNo) {
    ShowAlertForm2 dialog;
    EXPECT_EQ(dialog.windowTitle(), "Save?");
    EXPECT_EQ(dialog.message->text(), "Would do you like to save the current protocol");
    EXPECT_EQ(dialog.message->geometry(), QRect(0, 15, 359, 25));
    EXPECT_EQ(dialog.Yesbutton->text(), "Yes");
    EXPECT_EQ(dialog.Yesbutton->geometry(), QRect(97, 70, 80, 25));
    EXPECT_EQ(dialog.Nobutton->text(), "No");
    EXPECT_EQ(dialog.Nobutton->geometry(), QRect(197, 70, 80, 25));
    EXPECT_EQ(dialog.kaitou, 0);
}

TEST(AlertForms, YesAnswersOne) {
    ShowAlertForm2 dialog("Would you like to save the current settings?");
    dialog.show();
    dialog.Yesbutton->click();
    EXPECT_EQ(dialog.kaitou, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(AlertForms, NoAnswersZero) {
    ShowAlertForm2 dialog("q");
    dialog.show();
    dialog.Nobutton->click();
    EXPECT_EQ(dialog.kaitou, 0);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(AlertForms, ClosingTheQuestionByItsFrameAnswersNo) {
    ShowAlertForm2 dialog("q");
    dialog.show();
    settle();
    dialog.close();
    EXPECT_EQ(dialog.kaitou, 0);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(AlertForms, ModalSinkAnswersNoWhenTheQuestionIsClosed) {
    QWidget owner;
    ModalAlertSink sink(&owner);
    // Closes the question as soon as it is up, as a click on the frame's close box would.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<ShowAlertForm2*>(w); dialog && dialog->isVisible()) dialog->close();
    });
    EXPECT_FALSE(sink.ask(korin::alerts::kSaveSettingsQuestion));
}

TEST(AlertForms, ModalSinkShowsTheMessageUntilOk) {
    QWidget owner;
    ModalAlertSink sink(&owner);
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<ShowAlertForm*>(w); dialog && dialog->isVisible()) {
                shown = dialog->message->text();
                dialog->okbutton->click();
            }
    });
    sink.inform(korin::alerts::kSamplingError);
    EXPECT_EQ(shown, "The acquisition has stopped due to a sampling error.");
}

TEST(AlertForms, WindowSendsItsMessagesThroughTheInjectedSink) {
    Korin16Form form(std::make_shared<NoDeviceDriver>(), "test");
    auto sink = std::make_shared<RecordingAlertSink>();
    sink->answer = true;
    form.setAlertSink(sink);
    form.ShowAlert(korin::alerts::kNoOutputFolder);
    EXPECT_TRUE(form.AskQuestion(korin::alerts::kSaveSettingsQuestion));
    EXPECT_EQ(sink->informed, QStringList({"Please specify an output folder."}));
    EXPECT_EQ(sink->asked, QStringList({"Would you like to save the current settings?"}));
}
