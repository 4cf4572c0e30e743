#pragma once
// The main window: menus, the colour editor with its sliders, swatches and
// texts, and the lightness slider with its comparison swatch.
#include "app/Accessible.h"
#include "app/PickHistory.h"
#include "chart/CellCursor.h"
#include "favourites/FavouritesHost.h"
#include "favourites/FavouritesModel.h"
#include "favourites/FileMenu.h"
#include "measure/Host.h"
#include "platform/Services.h"
#include "platform/widgets/PictureBox.h"
#include "platform/widgets/TrackBar.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSessionManager;
class QTabBar;
class QTimer;
class QToolButton;

namespace favourites {
class BoxPanel;
class FavouritesUi;
} // namespace favourites
namespace measure {
class PointMeasure;
}
namespace platform {
class SessionInhibitor;
}

class frmTintra : public QMainWindow,
                  public favourites::FileMenuHost,
                  public favourites::FavouritesHost,
                  public measure::Host,
                  public app::ChartHost {
    Q_OBJECT
public:
    explicit frmTintra(const platform::Services& services, QWidget* parent = nullptr);
    ~frmTintra() override;

    void Form_Initialize();
    // Opens `file` (a colour file named on the command line) where given,
    // else the colour file of the last run.
    void Form_Load(const QString& file = QString());
    // Runs when the window is to close; setting Cancel keeps it open.
    void Form_Unload(bool& Cancel);
    // The program is ending without asking (a signal, the session's end):
    // unsaved favourites stay in their recovery copy, and the settings and
    // the measurement are stored.
    void EndQuietly();
    // The desktop session is ending: the exit question where the session
    // manager lets the program ask, else the recovery copy kept. The window
    // then closes without asking again.
    void CommitData(QSessionManager& manager);

    // The two ways a colour becomes current.
    void ShowColour(int16_t R, int16_t G, int16_t B);
    void PickColour(int32_t c) override;

    // Handlers of the colour editor.
    void HScroll1_Scroll(int Index);
    void HScroll1_Change(int Index);
    void cboHexFormat_Click();
    void cboRgbFormat_Click();
    void cmdKopi_Click(int Index);
    // Reads a colour from the clipboard's text and makes it current: pasted
    // on display Index (as cmdKopi numbers them), or on none (-1). Text that
    // is no colour changes nothing and brings a short hint.
    void PasteColour(int Index);
    void mnuLimInn_Click() { PasteColour(-1); }
    void lblDisplay_ContextMenu(int Index, const QPoint& pos);
    void vsc1_Change();
    void vsc1_Scroll();
    void CompareColors();

    // The contrast band under the lightness slider: the WCAG ratio of the
    // current colour to the background, its pass list and a text sample,
    // with the colour's name and the history row. ShowContrast has them
    // shown once the handler that calls it has ended (a drag's steps queued
    // meanwhile refresh them once); ShowContrastNow at once.
    void ShowContrast();
    void ShowContrastNow();
    int32_t Background() const { return background_; }
    void SetBackground(int32_t c);
    // The background's menu: 0 the current colour, 1 measured on the
    // screen, 2 pasted, 3 swapped with the current colour.
    void mnuBakgrunn_Click(int Index);
    void UseAsBackground(int32_t c) override { SetBackground(c); }
    // The pick history's boxes: a click or Enter picks; the menu offers
    // "Spar" and "Bruk som bakgrunn".
    void picHistorikk_Pick(int Index);
    void picHistorikk_ContextMenu(int Index, const QPoint& global);
    const QList<int32_t>& History() const { return history_.Colours(); }

    // Picking from the chart and the measurement picture.
    void picFarge_MouseDown(int Index, int Button, int Shift, double X, double Y);
    void picFarge_MouseMove(int Index, int Button, int Shift, double X, double Y);
    // With the focus, a keyboard cursor stands on a cell of the chart (first
    // the cell of the current colour, else the middle one) or a pixel of the
    // measurement picture (first where the marker stands, else the middle).
    void picFarge_GotFocus(int Index);
    // The arrows move the cursor to the neighbouring cell or pixel (Shift:
    // ten pixels); Space and Enter pick there as a click does.
    void picFarge_KeyDown(int Index, int KeyCode, int Shift);

    // Tab strip: shows the panel of the selected tab.
    void TabStrip1_Click();
    // Selects tab n (1..3) as code does, running TabStrip1_Click; false for a
    // tab that does not exist.
    bool SelectTab(int n);
    // Number (from 1) of the selected tab.
    int SelectedTab() const;

    // Point measurement.
    void cboZoom_Click();
    void cmdPunkt_Click();
    measure::PointMeasure& Measure() { return *measure_; }

    // Menus.
    void mnuFilNy_Click();
    void mnuFilApne_Click();
    void mnuFilLagre_Click();
    void mnuFilLagreSom_Click();
    void mnuFilImporter_Click() { fileMenu_->mnuFilImporter_Click(); }
    void mnuFilEksporter_Click() { fileMenu_->mnuFilEksporter_Click(); }
    void mnuFilAvslutt_Click();
    void mnuHjelpD_Click(int Index);
    void SendMail(QWidget* owner, const QString& address);

    // The favourites and their colour file.
    favourites::FavouritesModel& Favourites() { return favModel_; }
    favourites::FileMenu& FileMenu() { return *fileMenu_; }
    favourites::FavouritesUi& FavouritesUi() { return *favUi_; }

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
    QToolButton* cmdBakgrunn = nullptr;
    std::array<QAction*, 4> mnuBakgrunnD{};
    app::TextSample* lblProve = nullptr;
    QLabel* lblKontrast = nullptr;
    QLabel* lblKrav = nullptr;
    QLabel* lblNavn = nullptr;
    app::HistoryRow* picHistorikk = nullptr;

    QLabel* Label2 = nullptr;
    QTabBar* TabStrip1 = nullptr;
    QFrame* TabPage = nullptr;
    std::array<platform::PictureBox*, 2> picFarge{};
    platform::LineMarker* linX = nullptr;
    platform::LineMarker* linY = nullptr;
    favourites::BoxPanel* picBoksUt = nullptr;
    QPushButton* cmdPunkt = nullptr;
    QComboBox* cboZoom = nullptr;
    QPushButton* cmdSpar = nullptr;

    QMenu* mnuFil = nullptr;
    QAction* mnuFilNy = nullptr;
    QAction* mnuFilApne = nullptr;
    QAction* mnuFilLagre = nullptr;
    QAction* mnuFilLagreSom = nullptr;
    QAction* mnuFilImporter = nullptr;
    QAction* mnuFilEksporter = nullptr;
    QAction* mnuFilAvslutt = nullptr;
    // "Lim inn farge", Ctrl+V anywhere in the window.
    QAction* mnuLimInn = nullptr;
    QMenu* mnuHjelp = nullptr;
    std::array<QAction*, 6> mnuHjelpD{};

    // Maker's addresses, under a domain reserved for examples.
    static constexpr const char* kMakerMail = "post@kvidra.example";
    static constexpr const char* kMakerHome = "www.kvidra.example";

signals:
    // Raised at the end of every full refresh (ShowColour).
    void ColourShown();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // What the File menu needs of the window.
    void SetCaption(const QString& fileName) override;
    void SelectFavouritesTab() override;
    void UpdateColorbox() override;
    void ClearColorbox() override;
    QWidget* DialogOwner() override { return this; }
    void SetBusyCursor(bool busy) override;

    // What the favourites' boxes and name dialog need of the window.
    void HideChartMarkers() override;
    int32_t CurrentColour() override { return picValgt->BackColor(); }
    int LightnessValue() override { return vsc1->value(); }

    // What point measurement needs of the window.
    void SelectMeasureTab() override { SelectTab(2); }
    void SetMainVisible(bool visible) override;
    platform::PictureBox* MeasurePicture() override { return picFarge[1]; }
    void MarkMeasurePicture(double x, double y) override;
    QWidget* MainWindow() override { return this; }
    // Moves the marker lines into a picture and shows them crossing at (x, y).
    void MarkPicture(platform::PictureBox* picture, double x, double y);
    // Shows where the keyboard cursor of picFarge(Index) stands.
    void ShowKeyCursor(int Index);

    // What the chart tells screen readers of its cells.
    QString CellText(int cell) const override;
    int SelectedCell() const override;
    int CursorCell() const override { return chartCursor_.Cell(); }
    void PressCell(int cell) override;
    // Shows at a copy button, for a second, that its text was copied.
    void ShowCopied(QToolButton* button);

    QString GetSetting(const char* key, const QString& defaultValue) const;
    void SaveSetting(const char* key, const QString& value) const;
    // Steps 2 and 3 of the close: the settings saved, "PM.bmp" written.
    void SaveSettingsAndPicture();
    // "Vil du lagre endringer i ... før avsluttning?"
    platform::MsgAnswer AskToSaveBeforeEnd();
    // The session's end has been answered: how the window closes then.
    enum class QuietEnd { No, KeepCopy, GiveUp };
    QuietEnd quietEnd_ = QuietEnd::No;
    platform::SessionInhibitor* inhibitor_ = nullptr; // a child of the window

    void BuildEditor(QWidget* client);
    void BuildPanels(QWidget* client);
    void BuildMenus();
    void BuildPaste();
    void BuildWeb(QWidget* client);
    // The colour of a pasted text (see PasteColour), or a hint at `near`.
    std::optional<int32_t> ReadClipboardColour(int Index, QWidget* near);
    // A colour picked goes to the front of the history.
    void NoteHistory(int32_t c);
    void SaveHistory();
    // The four displays, numbered as the copy buttons number them, and
    // their captions.
    std::array<QLabel*, 4> Displays() const { return {lblHex2, lblRGB2, lblLong2, lblHSL2}; }
    std::array<QLabel*, 4> Captions() const { return {lblHex, lblRGB, lblLong, lblHSL}; }
    // Names the controls for screen readers, where what they show does not.
    void NameForScreenReaders();
    // The current colour's value and cell, for screen readers.
    void DescribeColour();
    void SetTabOrder();
    void Connect();
    void SetOuterSize(int widthTwips, int heightTwips);
    void SetDisplay(QLabel* display, const std::string& text);

    platform::Services services_;
    QWidget* client_ = nullptr;
    favourites::FavouritesModel favModel_;
    std::unique_ptr<favourites::FileMenu> fileMenu_;
    std::unique_ptr<favourites::FavouritesUi> favUi_;
    std::unique_ptr<measure::PointMeasure> measure_;
    // The keyboard cursors of the chart and the measurement picture.
    chart::CellCursor chartCursor_;
    QPoint measureCursor_;

    int32_t background_ = 0xFFFFFF;
    // What the contrast band shows, so that a refresh redraws only what changed.
    std::optional<std::pair<int32_t, int32_t>> contrastShown_;
    std::optional<int> passesShown_;
    // The next measurement sets the background instead of the colour.
    bool measuringBackground_ = false;
    // The chart is being dragged over: its steps count once in the history.
    bool dragging_ = false;
    app::PickHistory history_;
    QString historyFile_;
    QTimer* historySave_ = nullptr;
    QTimer* contrastRefresh_ = nullptr;
    bool historyChanged_ = false;
    // The chart's cell last told to screen readers as selected.
    int selectedCellShown_ = -1;
};
