// The console's progress line and the Ctrl-C handling behind the library's cancel object.
#include <signal.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <ostream>

#include "table_loader.h"

namespace ruleweave_cli {

namespace {

// Set by the SIGINT handler and read by InterruptCancel. A signal handler can only talk to the
// program through a flag of static storage, so this is the program's one global.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program at once
}

}  // namespace

InterruptCancel::InterruptCancel() {
  // A program started in the background by a shell without job control inherits an ignored
  // SIGINT; it keeps ignoring it, as such programs should.
  struct sigaction previous {};
  if (sigaction(SIGINT, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
  std::signal(SIGINT, OnInterrupt);
}

bool InterruptCancel::IsCancelled() { return gInterrupted != 0; }

ConsoleProgress::ConsoleProgress(std::ostream& err, bool enabled, bool terminal)
    : mErr(err),
      mEnabled(enabled),
      mTerminal(terminal),
      mStart(std::chrono::steady_clock::now()),
      mLastShown(mStart) {}

ConsoleProgress::~ConsoleProgress() { Done(); }

void ConsoleProgress::SetStage(const std::string& stage) {
  mStage = stage;
  mStart = std::chrono::steady_clock::now();
  Show(stage + ":", true);
}

void ConsoleProgress::Show(const std::string& text, bool force) {
  if (!mEnabled) return;
  const auto now = std::chrono::steady_clock::now();
  const auto every = mTerminal ? std::chrono::milliseconds(100) : std::chrono::milliseconds(1000);
  if (!force && now - mLastShown < every) return;
  mLastShown = now;
  const double seconds = std::chrono::duration<double>(now - mStart).count();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "  %.1f s", seconds);
  if (mTerminal) {
    mErr << '\r' << text << elapsed << "\033[K" << std::flush;
    mShowing = true;
  } else {
    mErr << text << elapsed << '\n' << std::flush;
  }
}

std::string ConsoleProgress::FractionText(double fraction) const {
  if (!(fraction > 0)) return "";
  char text[64];
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
  // The time left is guessed from the pace so far, once there is some.
  if (fraction >= 0.01 && fraction < 1 && seconds >= 1) {
    std::snprintf(text, sizeof text, ", %.0f%%, %.0f s left", 100 * fraction,
                  seconds * (1 - fraction) / fraction);
  } else {
    std::snprintf(text, sizeof text, ", %.0f%%", 100 * fraction);
  }
  return text;
}

void ConsoleProgress::Rows(const std::string& stage, std::int64_t rows, double fraction) {
  if (stage != mStage) SetStage(stage);
  Show(stage + ": " + std::to_string(rows) + " rows" + FractionText(fraction), false);
}

bool ConsoleProgress::OnProgress(ProgressReport* report) {
  if (!mEnabled || report == nullptr) return true;
  const auto now = std::chrono::steady_clock::now();
  const auto every = mTerminal ? std::chrono::milliseconds(100) : std::chrono::milliseconds(1000);
  if (now - mLastShown < every) return true;
  std::string text = mStage + ":";
  const int cases = report->DiscreteMeasure("cases");
  const int rules = report->DiscreteMeasure("rules");
  const int candidates = report->DiscreteMeasure("candidates");
  if (cases >= 0) text += " " + std::to_string(cases) + " cases";
  if (rules >= 0) text += " rules " + std::to_string(rules);
  if (candidates >= 0) text += " candidates " + std::to_string(candidates);
  if (mFraction) text += FractionText(mFraction());
  Show(text, true);
  return true;
}

void ConsoleProgress::Done() {
  if (mEnabled && mShowing) {
    mErr << "\r\033[K" << std::flush;
    mShowing = false;
  }
}

}  // namespace ruleweave_cli
