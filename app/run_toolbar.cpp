#include "app/run_toolbar.h"

#include <QToolButton>

namespace {

QToolButton* addButton(QToolBar* bar, const QString& name, const QString& caption, const QString& tip) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumWidth(26);
    bar->addWidget(button);
    return button;
}

}  // namespace

RunToolBar::RunToolBar(const QString& nameSuffix, const QString& switchCaption, QWidget* parent)
    : QToolBar(parent) {
    setObjectName(nameSuffix.isEmpty() ? QStringLiteral("toolStripRecord") : QStringLiteral("toolStripReplay"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    auto name = [&](const char* base) { return QString::fromLatin1(base) + nameSuffix; };
    toolStripButtonPlay = addButton(this, name("toolStripButtonPlay"), QStringLiteral(">"), tr("Play"));
    toolStripButtonRec = addButton(this, name("toolStripButtonRec"), QStringLiteral("\u25CF"), tr("Record"));
    toolStripButtonPause = addButton(this, name("toolStripButtonPause"), QStringLiteral("||"), tr("Pause"));
    toolStripButtonStop = addButton(this, name("toolStripButtonStop"), QStringLiteral("\u25A0"), tr("Stop"));
    toolStripButtonBack = addButton(this, name("toolStripButtonBack"), QStringLiteral("|<"), tr("Previous block"));
    toolStripButtonNext = addButton(this, name("toolStripButtonNext"), QStringLiteral(">|"), tr("Next block"));
    addSeparator();
    toolStripButtonSwitch = addButton(this, name("toolStripButtonSwitch"), switchCaption, tr("Switch mode"));
}
