#pragma once

// "ZEV 4.0": the program's only non-modal window. Its menu starts every
// operation; its status bar shows the progress of long operations and a
// clock. It keeps no data of its own.

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

class QLabel;
class QStatusBar;
class QTimer;

namespace zev {

class THomePanel;
class TJobLabelList;
class TOperator;
class TMainForm;
class TPrinterLabel;
struct TItemModes;
struct TPrintResult;
struct TRegistries;
struct TWindows;

// One menu item. The shortcut is the platform's key code: Ctrl+letter is
// 16384 plus the letter's code, F2 to F7 are 113 to 118; 0 for none.
struct TMenuItemDef
{
    const char* menu;    // the menu bar's menu holding it
    const char* submenu; // nullptr, or the submenu of `menu` holding it
    const char* name;
    const char* caption;
    int shortCut;
    void (TMainForm::*handler)(); // the command it runs
};

struct TMenuDef
{
    const char* name;
    const char* caption;
};

// The platform's key code as Qt's key sequence; empty for 0.
QKeySequence KeySequenceOf(int shortCut);

class TMainForm final : public QMainWindow
{
    Q_OBJECT

public:
    TMainForm(const TWindows& windows, const TRegistries& registries, TOperator& op);

    static std::span<const TMenuDef> Menus();
    static std::span<const TMenuItemDef> MenuItems();

    // The client area: the day at a glance.
    THomePanel& HomePanel() const { return *m_homePanel; }

    // Shows the text in the first panel at once, without processing
    // events; the empty text clears it.
    void ShowStatus(const QString& text);

    // Command handlers, named after their menu items.
    void Importar1Click();
    void Hoje1Click();
    void Amanh1Click();
    void UltimaImportao1Click();
    void daData1Click();
    void Barras1Click();
    void Tarvo90001Click();
    void Agrupamento1Click();
    void Edita1Click();
    void Individual1Click();
    void Seleo2Click();
    void Multipla1Click();
    void Procom1Click();
    void DoArquivo1Click();
    void Sequencial1Click();
    void Historico1Click();
    void Configurao1Click();
    void Sobre1Click();

private:
    void CreateMenus();
    void CreateStatusBar();
    void CreateHomePanel();
    // The one place where an error leaving a command is shown; the program
    // goes on.
    void RunCommand(void (TMainForm::*handler)());
    // What a job would print with a label; nothing when the person
    // cancelled a question it asked.
    using TJobLabelsOf = std::function<std::unique_ptr<TJobLabelList>(const TPrinterLabel&)>;

    // The label chooser step of the printing commands: the chosen label's
    // name, or nothing when the person cancelled or chose none. With
    // `jobLabels` the chooser can show the job's labels first.
    std::optional<std::string> ChooseLabel(const TJobLabelsOf& jobLabels = {},
                                           const std::string& proposed = {});
    // The preview window for the label named; true when the person asked to
    // print. Errors are told here.
    bool PreviewJob(const std::string& labelName, const TJobLabelsOf& jobLabels);
    void RunCounter(const std::string& label, TItemModes modes);
    // "N etiqueta(s) enviada(s)" in the status bar until the next command.
    void ShowJobEnd(const TPrintResult& result);

    void StatusBarResize();
    void Timer1Timer();

    bool eventFilter(QObject* watched, QEvent* event) override;
    // The home panel is read again when the window is shown or regains the
    // focus, unless a command is running: it reads it again at its end.
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

    const TWindows& m_windows;
    const TRegistries& m_registries;
    TOperator& m_operator;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panel0 = nullptr;
    QLabel* m_panel1 = nullptr;
    QTimer* m_timer1 = nullptr;
    THomePanel* m_homePanel = nullptr;
    bool m_commandRunning = false;
};

} // namespace zev
