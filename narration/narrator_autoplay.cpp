// The narration of the wait's helpers, [General] WaitForDisc and
// CancelAutoPlay: the look at the drive before the mount, the AutoPlay
// handler in the running object table, and how the wait ended.
#include "mount/disc_watch.h"
#include "narration/narrator.h"
#include "platform/autoplay_handler_id.h"
#include "settings/settings.h"

namespace tolvimer {

void Narrator::NoteAutoPlayRead(const char* section, const char* key, const char* value,
                                bool present) {
  if (step_ != Step::kMount || !IsWord(section, "General")) return;
  if (IsWord(key, "WaitForDisc")) {
    waitForDisc_ = present && IsWord(value, "true");
    return;
  }
  if (!waitForDisc_ || !IsWord(key, "Drive")) return;
  if (present && DriveRootOf(value, watchedRoot_)) return;
  line_.Add("WaitForDisc has no effect: [General] Drive names no drive letter");
  Act();
}

std::uint32_t Narrator::SetErrorMode(std::uint32_t mode) { return inner_.SetErrorMode(mode); }

std::uint32_t Narrator::GetDriveType(const char* root) {
  const std::uint32_t type = inner_.GetDriveType(root);
  if (!Running()) {
    line_.Add("note what ")
        .Add(root)
        .Add(
            " holds before the mount (no disc, or a disc and its volume serial number), with "
            "Windows' critical-error boxes off for that look; the wait ends early only for a disc "
            "it did not hold then");
    Act();
  } else if (type == win::kDriveUnknown || type == win::kDriveNoRootDir) {
    line_.Add(root)
        .Add(" before the mount: no such drive (drive type ")
        .Number(type)
        .Add("), so no disc");
    Act();
  }
  return type;
}

bool Narrator::GetVolumeSerial(const char* root, std::uint32_t& serial) {
  const bool disc = inner_.GetVolumeSerial(root, serial);
  if (!Running()) return disc;
  line_.Add(root).Add(" before the mount: ");
  if (disc) {
    line_.Add("a disc, volume serial number ")
        .Hex(serial >> 16, 4)
        .Add("-")
        .Hex(serial & 0xFFFF, 4)
        .Add("; only another disc ends the wait early");
  } else {
    line_.Add("no disc");
    Failed();
  }
  Act();
  return disc;
}

HResult Narrator::RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) {
  const HResult result = inner_.RegisterAutoPlayHandler(watchedRoot, cookie);
  line_.Add("register the AutoPlay handler (IQueryCancelAutoPlay under the class moniker of {")
      .Add(kAutoPlayHandlerClsidText)
      .Add("}) in the running object table, on a thread of its own, until the end of the run; ");
  if (watchedRoot[0]) {
    line_.Add("it cancels AutoPlay for ").Add(watchedRoot).Add(" and lets any other drive's go ahead");
  } else {
    line_.Add("it cancels AutoPlay for every drive: [General] Drive names no drive letter");
  }
  line_.Add("; the shell asks it only once autoplay_cancel.reg has been imported");
  handlerHeld_ = result >= 0;
  answersTold_ = false;
  answersInAll_ = 0;
  cancelledInAll_ = 0;
  for (int i = 0; i < 4; ++i) handlerRoot_[i] = watchedRoot[i];
  if (result < 0) {
    FailedWith(result);
    if (result == kHandlerThreadLives) {
      outcome_.Add(": the thread of an earlier handler still runs, and no second one is made");
    }
    if (Running()) outcome_.Add("; the wait goes on at once without it");
  }
  Act();
  return result;
}

HResult Narrator::RevokeAutoPlayHandler(std::uint32_t cookie) {
  const HResult result = inner_.RevokeAutoPlayHandler(cookie);
  line_.Add("revoke the AutoPlay handler from the running object table");
  if (!Running()) {
    // Nothing to tell of a dry run's revoke.
  } else if (result == kHandlerThreadLives) {
    outcome_.Add(
        "its thread has not ended within 5 s: it is left running with its handles and "
        "the watched drive as they are, and may still answer");
  } else if (result < 0) {
    FailedWith(result);
  } else {
    outcome_.Add("revoked; its thread has ended");
  }
  Act();
  handlerHeld_ = false;
  return result;
}

bool Narrator::RunsElevated() {
  const bool elevated = inner_.RunsElevated();
  if (elevated) {
    line_.Add(
        "warning: the launcher runs elevated: the shell, which is not, cannot reach its AutoPlay "
        "handler (registered without ROTFLAGS_ALLOWANYCLIENT) nor its hidden window (user "
        "interface privilege isolation), so AutoPlay is not held off by them");
    Act();
  }
  return elevated;
}

AutoPlayAnswers Narrator::TakeAutoPlayAnswers() {
  const AutoPlayAnswers taken = inner_.TakeAutoPlayAnswers();
  if (!Running()) {
    line_.Add("tell each query the AutoPlay handler has answered so far: the drive asked about, ")
        .Add("when, and the answer");
    Act();
    return taken;
  }
  answersInAll_ += taken.count + taken.notKept;
  for (std::uint32_t i = 0; i < taken.count; ++i) {
    const AutoPlayAnswer& answer = taken.answer[i];
    if (answer.cancelled) ++cancelledInAll_;
    line_.Add("the AutoPlay handler answered a query about ")
        .Add(answer.root[0] ? answer.root : "a path that names no drive")
        .Add(" ")
        .Number(answer.afterMs)
        .Add(" ms after its registration: ")
        .Add(answer.cancelled ? "S_FALSE, AutoPlay cancelled" : "S_OK, AutoPlay goes ahead");
    Act();
  }
  if (taken.notKept > 0) {
    line_.Add("the AutoPlay handler answered ")
        .Number(taken.notKept)
        .Add(" more queries than the 8 it keeps between two tellings; those are not told");
    Act();
  } else if (taken.count == 0) {
    line_.Add("the AutoPlay handler has answered no query since ")
        .Add(answersTold_ ? "its answers were last told" : "its registration");
    Act();
  }
  answersTold_ = true;
  // The revoke's take is the run's last: the count of the whole run.
  if (!handlerHeld_) {
    line_.Add("the AutoPlay handler answered ")
        .Number(answersInAll_)
        .Add(answersInAll_ == 1 ? " query" : " queries")
        .Add(" in all, ")
        .Number(cancelledInAll_)
        .Add(" of them with S_FALSE");
    Act();
  }
  return taken;
}

AutoPlayWaitResult Narrator::WaitWithAutoPlayHelpers(Instance instance, std::uint32_t milliseconds,
                                                     const AutoPlayWaitHelpers& helpers) {
  FlushTaps();
  line_.Add("wait ")
      .Number(milliseconds)
      .Add(
          " ms behind the hidden \"DisableAutolaunch\" window, cancelling Windows AutoPlay; an "
          "AutoPlay query to the window ends the wait");
  if (handlerHeld_) {
    line_.Add("; so does the handler's answer to a query about ")
        .Add(handlerRoot_[0] ? handlerRoot_ : "any drive");
    if (handlerRoot_[0]) line_.Add(", and no other drive's");
  }
  if (helpers.takeForeground) line_.Add("; the window takes the foreground, where the shell asks");
  if (helpers.duringPlay) {
    line_.Add(
        "; a disc swap's wait during play: the game keeps the foreground, and no box "
        "comes up");
  }
  if (helpers.lookForDisc) {
    line_.Add("; a look at ")
        .Add(watchedRoot_)
        .Add(
            " every 100 ms, and at once when Windows announces a volume there, ends the wait "
            "once it holds a disc it did not hold before the mount");
  }
  // Told before the call: the wait takes its time.
  Act();
  const AutoPlayWaitResult result = inner_.WaitWithAutoPlayHelpers(instance, milliseconds, helpers);
  TellWaitEnd(result, helpers);
  return result;
}

void Narrator::TellWaitEnd(const AutoPlayWaitResult& result, const AutoPlayWaitHelpers& helpers) {
  const bool foregroundAsked = helpers.takeForeground;
  if (result.end == AutoPlayWaitEnd::kNoWindow) {
    line_.Add(helpers.duringPlay
                  ? "the hidden window could not be made: no box during play, and no wait"
                  : "the hidden window could not be made: an \"Error\" box was shown, and no wait");
    if (Running()) {
      outcome_.Add("failed: error ").Number(result.error);
      AddErrorText(result.error);
    }
    Act();
    return;
  }
  if (!Running()) return;
  if (foregroundAsked) {
    if (result.foregroundTaken) {
      line_.Add("the hidden window took the foreground");
    } else {
      line_.Add("the hidden window could not take the foreground; the wait goes on without it");
      outcome_.Add("failed: error ").Number(result.foregroundError);
      AddErrorText(result.foregroundError);
    }
    Act();
  }
  switch (result.end) {
    case AutoPlayWaitEnd::kDiscReady:
      line_.Add("the disc became ready in ").Add(watchedRoot_, 2).Add(" after ");
      break;
    case AutoPlayWaitEnd::kWindowQuery:
      line_.Add("AutoPlay asked and was cancelled by the window after ");
      break;
    case AutoPlayWaitEnd::kHandlerQuery:
      line_.Add("AutoPlay asked about ")
          .Add(result.asked[0] ? result.asked : "a drive")
          .Add(" and was cancelled by the handler after ");
      break;
    default:
      line_.Add("the delay ran out after ");
      break;
  }
  line_.Number(result.elapsed).Add(" ms");
  if (result.volumeAnnounced) {
    line_.Add("; Windows announced the volume on the drive after ").Number(result.announcedAt).Add(" ms");
  }
  Act();
}

}  // namespace tolvimer
