#pragma once
// The main window: menus, the colour editor with its sliders, swatches and
// texts, and the lightness slider with its comparison swatch.
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "platform/TrackBar.h"

#include <QMainWindow>

#include <array>
#include <cstdint>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabBar;
class QToolButton;

class frmTintra : public QMainWindow {
    Q_OBJECT
public:
    explicit frmTintra(const platform::Services& services, QWidget* parent = nullptr);
    ~frmTintra() override;

    void Form_Initialize();
    void Form_Load();

    // The two ways a colour becomes current.
    void ShowColour(int16_t R, int16_t G, int16_t B);
    void PickColour(int32_t c);

    // Handlers of the colour editor.
    void HScroll1_Scroll(int Index);
    void HScroll1_Change(int Index);
    void cboHexFormat_Click();
    void cboRgbFormat_Click();
    void cmdKopi_Click(int Index);
    void vsc1_Change();
    void vsc1_Scroll();
    void CompareColors();

    // Picking from the chart and the measurement picture.
    void picFarge_MouseDown(int Index, int Button, int Shift, double X, double Y);
    void picFarge_MouseMove(int Index, int Button, int Shift, double X, double Y);

    // Tab strip: shows the panel of the selected tab.
    void TabStrip1_Click();
    // Selects tab n (1..3) as code does, running TabStrip1_Click; false for a
    // tab that does not exist.
    bool SelectTab(int n);
    // Number (from 1) of the selected tab.
    int SelectedTab() const;

    // Menus.
    void mnuHjelpD_Click(int Index);
    void SendMail(QWidget* owner, const QString& address);

    // The program's title (settings application name, message box titles) and
    // the caption prefix (the program file's name without extension).
    static QString AppTitle();
    static QString ExeName();

    // Controls, named as the handlers know them.
    std::array<platform::TrackBar*, 3> HScroll1{};
    std::array<QLabel*, 3> Label1{};
    QLabel* lblRval = nullptr;
    QLabel* lblGval = nullptr;
    QLabel* lblBval = nullptr;
    platform::PictureBox* picValgt = nullptr;
    platform::PictureBox* pic1 = nullptr;
    platform::LineMarker* lin1 = nullptr;
    QLabel* lblLong = nullptr;
    QLabel* lblRGB = nullptr;
    QLabel* lblHex = nullptr;
    QLabel* lblHSL = nullptr;
    QLabel* lblLong2 = nullptr;
    QLabel* lblRGB2 = nullptr;
    QLabel* lblHex2 = nullptr;
    QLabel* lblHSL2 = nullptr;
    std::array<QToolButton*, 4> cmdKopi{};
    QLabel* lblFormat = nullptr;
    QComboBox* cboRgbFormat = nullptr;
    QComboBox* cboHexFormat = nullptr;
    platform::TrackBar* vsc1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblLight = nullptr;

    QLabel* Label2 = nullptr;
    QTabBar* TabStrip1 = nullptr;
    QFrame* TabPage = nullptr;
    std::array<platform::PictureBox*, 2> picFarge{};
    platform::LineMarker* linX = nullptr;
    platform::LineMarker* linY = nullptr;
    QWidget* picBoksUt = nullptr;
    QPushButton* cmdPunkt = nullptr;
    QComboBox* cboZoom = nullptr;
    QPushButton* cmdSpar = nullptr;

    QMenu* mnuFil = nullptr;
    QAction* mnuFilNy = nullptr;
    QAction* mnuFilApne = nullptr;
    QAction* mnuFilLagre = nullptr;
    QAction* mnuFilLagreSom = nullptr;
    QAction* mnuFilAvslutt = nullptr;
    QMenu* mnuHjelp = nullptr;
    std::array<QAction*, 6> mnuHjelpD{};

    // Maker's addresses, under a domain reserved for examples.
    static constexpr const char* kMakerMail = "post@kvidra.example";
    static constexpr const char* kMakerHome = "www.kvidra.example";

signals:
    // Raised at the end of every full refresh (ShowColour).
    void ColourShown();

private:
    void BuildEditor(QWidget* client);
    void BuildPanels(QWidget* client);
    void BuildMenus();
    void Connect();
    void SetOuterSize(int widthTwips, int heightTwips);
    void SetDisplay(QLabel* display, const std::string& text);

    platform::Services services_;
    QWidget* client_ = nullptr;
};
