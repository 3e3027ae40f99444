#include "app/Program.h"

#include "app/GuiOperator.h"
#include "app/MainFrm.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "output/ConfigFrm.h"
#include "output/SelectLabelFrm.h"
#include "output/SerialConfigFrm.h"
#include "output/SobreFrm.h"
#include "platform/Error.h"
#include "platform/ProgramDir.h"
#include "printing/BuscaFrm.h"
#include "printing/ContadorFrm.h"
#include "printing/DateDlg.h"
#include "printing/ItemFrm.h"
#include "printing/ProconForm.h"
#include "printing/SequenciaFrm.h"
#include "printing/TipoFrm.h"
#include "selection/ArvoreFrm.h"
#include "selection/EditFrm.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QTemporaryFile>
#include <QTranslator>

#include <exception>

namespace zev {

TProgram::TProgram(QString systemRoot)
    : m_systemRoot(std::move(systemRoot)), m_operator(std::make_unique<TGuiOperator>(m_windows))
{}

TProgram::~TProgram() = default;

TOperator& TProgram::Operator()
{
    return *m_operator;
}

bool TProgram::Start()
{
    CreateWindows();
    try {
        ShareNewFilesWithGroup();
        CheckProgramDirWritable();
        CreateDatabase();
        BuildRegistries();
    } catch (const std::exception& error) {
        m_operator->ShowError(QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

// In their fixed order, main window first. Windows only use the database
// and the registries when shown, never while being created.
void TProgram::CreateWindows()
{
    m_mainForm = std::make_unique<TMainForm>(m_windows, m_registries, *m_operator);
    QWidget* owner = m_mainForm.get();
    m_windows.MainForm = m_mainForm.get();
    m_windows.ConfigForm = new TConfigForm(m_registries, owner);
    m_windows.DateDialog = new TDateDialog(owner);
    m_windows.SelectLabelForm = new TSelectLabelForm(m_registries, owner);
    m_windows.ContadorForm = new TContadorForm(owner);
    m_windows.ArvoreForm = new TArvoreForm(owner);
    m_windows.SobreForm = new TSobreForm(m_registries, owner);
    m_windows.EditForm = new TEditForm(*m_operator, owner);
    m_windows.TipoForm = new TTipoForm(owner);
    m_windows.SerialConfigForm = new TSerialConfigForm(owner);
    m_windows.ProconFrm = new TProconFrm(owner);
    m_windows.SequenciaForm = new TSequenciaForm(owner);
    m_windows.ItemForm = new TItemForm(m_windows, m_registries, *m_operator, owner);
    m_windows.BuscaForm = new TBuscaForm(*m_operator, owner);
}

// zev.ini and zev.mdb live beside the program; a folder the operator
// cannot write to would only fail later, in the middle of a job.
void TProgram::CheckProgramDirWritable() const
{
    QTemporaryFile probe(QDir(ProgramDir()).filePath(QStringLiteral(".zev-XXXXXX")));
    if (probe.open())
        return;
    QString text = QStringLiteral("Não é possível gravar na pasta do programa:\n%1\n\n"
                                  "O ZEV guarda nela as configurações (zev.ini) e o cadastro "
                                  "(zev.mdb). ")
                       .arg(QDir::toNativeSeparators(ProgramDir()));
    // An installed ZEV shares its folder through a group: joining it is the way in.
    if (const QString group = SharingGroup(); !group.isEmpty())
        text += QStringLiteral("Os usuários da loja gravam nela pelo grupo %1: peça para entrar "
                               "nele (sudo adduser %2 %1) e entre de novo no sistema.")
                    .arg(group, qEnvironmentVariable("USER", QStringLiteral("$USER")));
    else
        text += QStringLiteral("Instale o ZEV numa pasta em que o usuário possa gravar.");
    throw EZevError(text.toStdString());
}

void TProgram::BuildRegistries()
{
    m_registries.Ports = BuildPortRegistry(*m_operator, m_systemRoot);
    m_registries.Labels = BuildLabelRegistry(SettingsPath());
}

int TProgram::Run()
{
    // Without a window manager (a kiosk-like shop PC) nobody maximises the
    // window: it takes the screen's room itself.
    m_mainForm->setGeometry(m_mainForm->screen()->availableGeometry());
    m_mainForm->showMaximized();
    return QApplication::exec();
}

namespace {

// Qt's own dialogs (file choosers, standard buttons) speak the program's
// language whatever the machine's: the stores are Brazilian.
void InstallBrazilianTranslation()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_pt_BR"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

void SetUpApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(ZevTitle));
    QApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zev"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/zev.png")));
    InstallBrazilianTranslation();
}

int StartUp()
{
    SetUpApplication();
    TProgram program;
    if (!program.Start())
        return 1;
    return program.Run();
}

} // namespace zev
