// Kadra's main dialog: the settings of [INIT] loaded into the window and the process-wide
// records when it opens and saved when it closes, the switches of the Settings page, the product
// list, the dropped file and the start and stop commands. Everything the user sees goes through
// a MainDialogView; the runs themselves are the run control's.
#pragma once

#include <cstdint>

#include "ktext.h"
#include "main_dialog_view.h"

namespace kadra {

// What the dialog procedure does after a "control operated" message.
enum class ControlReply {
    Default,  // hand the message to the dialog library's default procedure
    Handled,  // answer 0 without default processing
};

// Graph full scale (tenths of MB/s): the step of the resolution buttons and the lowest value.
inline constexpr int32_t kDynaMaxYStep = 100;
inline constexpr int32_t kDynaMaxYFloor = 150;

class MainDialog {
  public:
    explicit MainDialog(MainDialogView& view);
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // The controls exist: loads the settings into the window and testSettings.
    void OnControlsCreated();
    // The resource id of the window icon.
    int OnIconRequest() const { return kMainIconId; }
    // The user operated control `number` (or pressed the start or stop key).
    ControlReply OnControl(int number);
    // The product list's selection changed to `index` (negative: no selection).
    void OnProductSelected(int index);
    // A file was dropped on the window.
    void OnDropFiles(const KText& path);
    // The cursor is asked for; true when the dialog set it (the wait cursor of a busy run).
    bool OnSetCursor();
    // The user asks to close the window. True: close now. False while a start command is being
    // carried out: the run is told to stop, and once it has ended (temporary file deleted, log
    // closed) the dialog asks the view to close again.
    bool OnCloseRequest();
    // The window is being destroyed: saves the settings.
    void OnDestroy();

    // Graph on or off as $CurveChk says, and the window size that goes with it.
    void ApplyGraphSwitch();

    // Whether a close waits for the run in progress to end.
    bool ClosePending() const { return closePending_; }

  private:
    void LoadProducts();
    void LoadTexts();
    void LoadSwitches();
    void HideExpertControls();
    void RestorePosition();
    void StepResolution(int32_t delta);
    // Runs one start command; afterwards carries out a close that arrived during the run.
    template <typename Command>
    void RunCommand(Command command);
    void SaveSettings();

    MainDialogView& view_;
    bool commandRunning_ = false;  // a start command is being carried out
    bool closePending_ = false;
    bool destroyed_ = false;
};

}  // namespace kadra
