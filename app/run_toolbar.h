// One of the two run toolbars: Play, Record, Pause, Stop, Back, Next and the
// record/replay switch. The record panel's set has the plain names and the
// switch "REPLAY"; the replay panel's set has names ending in 2 and "RECORD".
#pragma once

#include <QToolBar>

class QToolButton;

class RunToolBar : public QToolBar {
    Q_OBJECT
public:
    // nameSuffix "" or "2"; switchCaption "REPLAY" or "RECORD".
    RunToolBar(const QString& nameSuffix, const QString& switchCaption, QWidget* parent = nullptr);

    QToolButton* toolStripButtonPlay;
    QToolButton* toolStripButtonRec;
    QToolButton* toolStripButtonPause;
    QToolButton* toolStripButtonStop;
    QToolButton* toolStripButtonBack;
    QToolButton* toolStripButtonNext;
    QToolButton* toolStripButtonSwitch;
};
