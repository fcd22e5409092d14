// The control panel's answer to a disc that fails while it plays.
#include "app/Unit1.h"

#include "com/log.h"
#include "engine/check_result.h"
#include "framework/application.h"
#include "framework/dialogs.h"

// The navigator stops on a disc it cannot read (a damaged or truncated file, a disc or
// folder taken away) and reports why. The person is told once; the graph and the
// labels stay as they are, so that Play, a chapter skip or a menu can try again.
void TFormDVDPlayer::FilterGraphGraphErrorAbort(QObject *, HRESULT Result) {
  qCDebug(lcApp, "playback aborted (%08x)%s", unsigned(Result), discFailureTold_ ? ", told already" : "");
  if (discFailureTold_) return;
  discFailureTold_ = true;
  Dialogs().MessageBox(QStringLiteral("Impossibile leggere il disco: la riproduzione si è fermata.\n") +
                           GetErrorText(Result),
                       Application().Title(), MB_OK | MB_ICONERROR);
}

// A scrambled disc read without the decryption library: it cannot play here. Told once
// for the graph, however often Play is tried on it.
void TFormDVDPlayer::FilterGraphDVDErrorCopyProtectFail(QObject *) {
  qCDebug(lcApp, "the disc is scrambled%s", copyProtectionTold_ ? ", told already" : "");
  if (copyProtectionTold_) return;
  copyProtectionTold_ = true;
  Dialogs().MessageBox(QStringLiteral("Questo disco è protetto (CSS) e la libreria libdvdcss non è installata: non può "
                                      "essere riprodotto."),
                       Application().Title(), MB_OK | MB_ICONERROR);
}
