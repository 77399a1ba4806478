#include "app/FormRun.h"

#include "shell/FrmMain.h"
#include "shell/InputRecorder.h"

namespace pelto5 {

int RunForm(TPlatform& platform, const TCommandLine& cl) {
  TFormOptions options;
  options.ContentPath = cl.ContentPath;
  options.DumpStatePath = cl.DumpStatePath;
  options.ScreenshotPath = cl.ScreenshotPath;
  options.LibraryPath = cl.LibraryPath;
  options.SaveDirectory = cl.SaveDirectory;
  options.KeepWindowSize = cl.ScaleGiven;
  options.CheckFrames = cl.CheckFrames;
  options.Breakpoints = cl.Breakpoints;
  options.Watch = cl.Watch;
  options.TextOut = cl.TextOut;
  options.TranslationPath = cl.TranslationPath;
  TfrmMain form(options);
  if (!form.FormCreate()) {
    form.FormDestroy();
    return 1;
  }
  form.FormShow();
  int status = 0;
  if (!cl.RecordPath.empty()) {
    // The recorder passes every event on to the form.
    TInputRecorder recorder(form, cl.RecordPath);
    (void)recorder.Start();
    if (!platform.Terminated()) status = platform.Run(recorder);
    recorder.Finish();
  } else if (!platform.Terminated()) {
    status = platform.Run(form);
  }
  form.FormDestroy();
  return status;
}

}  // namespace pelto5
