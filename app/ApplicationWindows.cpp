#include "app/ApplicationWindows.h"

#include <QGuiApplication>

#include "app/HelpWindow.h"
#include "app/uFrmAbout.h"
#include "app/uFrmMessage.h"
#include "app/uFrmProcessing.h"
#include "app/ufrmFileList.h"
#include "app/ufrmMain.h"
#include "conditions/forms/uFrmConditions.h"
#include "conditions/forms/ufrmConditionsMenu.h"
#include "data/forms/ufrmChooseSheet.h"
#include "data/forms/ufrmShowFieldsList.h"

ApplicationWindows::ApplicationWindows() {
    // Wayland compositors match the windows to the installed desktop entry, and its icon, by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quarix.Quarix"));
    setMessageBoxHandler(&m_messageBoxes);
    setFileDialogs(&m_fileDialogs);
    setShellOpener(&m_shell);

    m_main = std::make_unique<TfrmMain>();
    // The parameter panels go into the wizard, which owns them from then on.
    auto* panelForm = new TfrmConditionsMenu(m_main.get());
    auto* wizard = new TfrmConditions(panelForm, m_main.get());
    m_main->setConditionsWizard(wizard);
    auto* chooser = new TfrmChooseSheet(m_main.get());
    m_processing = std::make_unique<TfrmProcessing>(m_main.get());
    auto* fieldTypes = new TfrmShowFieldsList(m_main.get());
    m_fileList = new TfrmFileList(m_main.get());
    m_message = std::make_unique<TfrmMessage>(m_main.get());
    m_about = new TFrmAbout(m_main.get());
    m_help = new HelpWindow(m_main.get());

    m_main->setDialogs(m_fileList, m_about);
    m_main->setHelpWindow(m_help);
    m_main->setSourceDialogs(chooser, fieldTypes);
    setProgressView(m_processing.get());
    setWaitingView(m_message.get());
}

ApplicationWindows::~ApplicationWindows() {
    if (progressView() == m_processing.get()) setProgressView(nullptr);
    if (waitingView() == m_message.get()) setWaitingView(nullptr);
    if (messageBoxHandler() == &m_messageBoxes) setMessageBoxHandler(nullptr);
    if (fileDialogs() == &m_fileDialogs) setFileDialogs(nullptr);
    if (shellOpener() == &m_shell) setShellOpener(nullptr);
    m_message.reset();
    m_processing.reset();
    m_main.reset();
}
