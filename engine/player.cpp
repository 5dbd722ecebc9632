#include "engine/player.h"

#include <algorithm>

#include "model/key_table.h"
#include "model/profile_data.h"

namespace orvelle {
namespace {

// Auto-repeats of a held key that the worker has not caught up with yet; more are dropped.
constexpr int kMaxPendingRepeats = 32;
// Playbacks at once; a key pressed beyond them starts nothing.
constexpr size_t kMaxPlaybacks = 64;

bool IsHeldOrLooping(const auto& p) { return !p.ending && p.mode != decltype(p.mode)::Once; }

bool IsHighSurrogate(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

size_t StepsTogether(const std::vector<ProgramStep>& steps, size_t at) {
  constexpr size_t kPairSteps = 4;
  if (at >= steps.size() || steps.size() - at < kPairSteps) return 1;
  const ProgramStep& first = steps[at];
  if (!first.unicode || !first.down || !IsHighSurrogate(first.code)) return 1;
  // Which of the pair's events have gone: high down, high up, low down, low up.
  std::array<bool, kPairSteps> seen{true, false, false, false};
  int low = -1;
  for (size_t i = at + 1; i < at + kPairSteps; ++i) {
    const ProgramStep& step = steps[i];
    if (!step.unicode || step.delayMs != 0) return 1;
    size_t which = 0;
    if (step.code == first.code) {
      which = step.down ? 0 : 1;
    } else if (IsLowSurrogate(step.code) && (low < 0 || step.code == low)) {
      low = step.code;
      which = step.down ? 2 : 3;
    } else {
      return 1;
    }
    if (seen[which] || (which == 3 && !seen[2])) return 1;
    seen[which] = true;
  }
  return kPairSteps;
}

void PendingReleases::Record(const InjectionBatch& batch, size_t sent) {
  size_t index = 0;
  for (const KeyInjection& key : batch) {
    const bool wentOut = index++ < sent;
    // Gone out, press or release, the key or unit is no longer ours to let go of here; a press
    // that did not go out changes nothing: the key is as down or up as it was.
    if (!wentOut && !key.release) continue;
    if (key.mouse) {
      // A wheel notch has nothing to let go of.
      const auto action = static_cast<MouseAction>(key.keyCode & 7);
      if (!IsWheel(action)) buttons_.set(static_cast<size_t>(action), !wentOut);
    } else if (key.unicode) {
      const auto at = std::find(units_.begin(), units_.end(), key.keyCode);
      if (wentOut && at != units_.end()) units_.erase(at);
      if (!wentOut && at == units_.end()) units_.push_back(key.keyCode);
    } else {
      keys_.set(static_cast<size_t>(key.keyCode) & 0xFF, !wentOut);
    }
  }
  waiting_.store(keys_.any() || buttons_.any() || !units_.empty(), std::memory_order_relaxed);
}

InjectionBatch PendingReleases::First() const {
  InjectionBatch batch;
  for (size_t i = 0; i < units_.size() && batch.size < InjectionBatch::kMaxEvents; ++i) {
    batch.events[batch.size++] = KeyInjection{units_[i], true, true};
  }
  for (size_t button = 0; button < buttons_.size() && batch.size < InjectionBatch::kMaxEvents; ++button) {
    if (buttons_[button]) batch.events[batch.size++] = KeyInjection{static_cast<int>(button), true, false, true};
  }
  for (size_t code = 0; code < keys_.size() && batch.size < InjectionBatch::kMaxEvents; ++code) {
    if (keys_[code]) batch.events[batch.size++] = KeyInjection{static_cast<int>(code), true};
  }
  return batch;
}

Player::Playback* Player::Find(int key, bool (*which)(const Playback&)) {
  for (Playback& p : playbacks_) {
    if (p.key == key && which(p)) return &p;
  }
  return nullptr;
}

void Player::Take(OutputCommand command, int64_t now) {
  using Kind = OutputCommand::Kind;
  const size_t keySlot = static_cast<size_t>(command.key) & 0xFF;
  switch (command.kind) {
    case Kind::Play:
    case Kind::Hold:
    case Kind::HoldLoop: {
      if (command.kind == Kind::Play && skipNextPlay_[keySlot]) {
        skipNextPlay_.reset(keySlot);
        return;
      }
      if (!command.program || command.program->steps.empty() || playbacks_.size() >= kMaxPlaybacks) return;
      if (command.kind != Kind::Play && Find(command.key, [](const Playback& p) { return IsHeldOrLooping(p); })) return;
      Playback playback;
      playback.key = command.key;
      playback.mode = command.kind == Kind::Play   ? Playback::Mode::Once
                      : command.kind == Kind::Hold ? Playback::Mode::Held
                                                   : Playback::Mode::Looping;
      playback.program = std::move(command.program);
      playback.numLockOn = command.numLockOn;
      playback.sequence = command.sequence;
      playback.passesLeft = std::max(playback.program->loops, 1) - 1;
      playback.due = now + static_cast<int64_t>(playback.program->steps.front().delayMs) * 1000;
      playback.passStart = playback.due;
      playbacks_.push_back(std::move(playback));
      return;
    }
    case Kind::Repeat:
      if (Playback* p = Find(command.key, [](const Playback& p) { return !p.ending && p.mode == Playback::Mode::Held; })) {
        if (p->repeats >= kMaxPendingRepeats) return;
        if (p->repeats++ == 0) p->due = std::max(p->due, now);  // due when it came, after what came before
      }
      return;
    case Kind::Release:
      if (Playback* p = Find(command.key, [](const Playback& p) { return IsHeldOrLooping(p); })) End(*p, now);
      return;
    case Kind::Interrupt:
      if (Playback* p = Find(command.key, [](const Playback& p) { return !p.ending && p.mode == Playback::Mode::Once; })) {
        End(*p, now);
        skipNextPlay_.set(keySlot);
        skipSequence_[keySlot] = command.sequence;
      }
      return;
  }
}

void Player::End(Playback& playback, int64_t now) {
  // The rest of the pass is dropped; what it pressed is released, the last pressed first.
  playback.ending = true;
  playback.due = now;
}

void Player::Settle(Playback& p) {
  if (p.ending || p.step < p.program->steps.size()) return;
  switch (p.mode) {
    case Playback::Mode::Held:
      return;  // down until its key comes up
    case Playback::Mode::Looping:
      p.step = 0;
      return;
    case Playback::Mode::Once:
      if (p.passesLeft > 0) {
        --p.passesLeft;
        p.step = 0;
      } else {
        p.ending = true;  // the last pass is over: whatever it left down is let go
      }
      return;
  }
}

std::optional<Player::Event> Player::Peek(const Playback& p) {
  if (p.ending) {
    if (p.pressed.empty()) return std::nullopt;
    return Release(p.pressed.back());
  }
  const std::vector<ProgramStep>& steps = p.program->steps;
  if (p.step < steps.size()) {
    const ProgramStep& step = steps[p.step];
    return Event{step.code, step.down, step.unicode, step.mouse};
  }
  if (p.mode == Playback::Mode::Held && p.repeats > 0)
    return Event{p.program->repeatCode, true, false, p.program->repeatMouse};
  return std::nullopt;
}

void Player::Prune() {
  std::erase_if(playbacks_, [](const Playback& p) { return p.ending && p.pressed.empty(); });
}

void Player::Advance(Playback& p, const Event& event) {
  const int pressed = Pressed(event);
  if (event.mouse && IsWheel(static_cast<MouseAction>(event.code))) {
    // A wheel notch is over as it goes out.
  } else if (event.down) {
    // A key pressed again while down (an auto-repeat) still comes up with one release.
    if (std::find(p.pressed.begin(), p.pressed.end(), pressed) == p.pressed.end()) p.pressed.push_back(pressed);
  } else if (const auto at = std::find(p.pressed.rbegin(), p.pressed.rend(), pressed); at != p.pressed.rend()) {
    p.pressed.erase(std::next(at).base());
  }
  if (!event.unicode && !event.mouse) held_.set(static_cast<size_t>(event.code) & 0xFF, event.down);
  if (p.ending) return;
  const std::vector<ProgramStep>& steps = p.program->steps;
  if (p.step >= steps.size()) {
    --p.repeats;  // an auto-repeat of a held key
    return;
  }
  // Delays count on the playback's own timeline, from when the step was due rather than from
  // when it went out: a sequence that waited behind another keeps its place in the queue order
  // and its rhythm. A minimum hold alone counts from when the events before it went out too
  // (WentOut): a key given a hold time is down at least that long, however slow its press was.
  ++p.step;
  p.holdFromWentOut = p.step < steps.size() && steps[p.step].minimumHold;
  if (p.step >= steps.size() && p.program->periodMs != 0) {
    // A tapped pass starts a period after the one before it started, however its steps went.
    p.passStart += static_cast<int64_t>(p.program->periodMs) * 1000;
    p.due = p.passStart;
    return;
  }
  const ProgramStep& next = p.step < steps.size() ? steps[p.step] : steps.front();
  p.due += static_cast<int64_t>(next.delayMs) * 1000;
}

std::optional<InjectionBatch> Player::Next(int64_t now) {
  for (Playback& p : playbacks_) {
    p.holdFromWentOut = false;  // only the events given now went out last
    Settle(p);
  }
  Prune();
  if (now < lastInjection_ + kInjectionSpacingUs) return std::nullopt;
  Playback* best = nullptr;
  for (Playback& p : playbacks_) {
    if (p.due <= now && Peek(p) && (best == nullptr || p.due < best->due)) best = &p;
  }
  if (best == nullptr) return std::nullopt;
  // A playback that is letting go may have no program (the releases after Abandon).
  const size_t together = best->ending ? 1 : StepsTogether(best->program->steps, best->step);
  InjectionBatch batch;
  for (size_t i = 0; i < together; ++i) {
    Event event = *Peek(*best);
    // Program steps follow NumLock as the hook saw it; releases of what was pressed are the codes
    // that went out already.
    if (!best->ending && !event.unicode && !event.mouse) event.code = TranslateNumpadCode(event.code, best->numLockOn);
    Advance(*best, event);
    batch.events[batch.size++] = KeyInjection{event.code, !event.down, event.unicode, event.mouse};
  }
  // A playback whose last event has gone out is over now, not at the next call: a press of its
  // key that the worker takes before then must start it again, not stop what already ended.
  Settle(*best);
  // Events keep a beat: a wake that came late lets the next event follow sooner, so a late
  // timer does not stretch a sequence by its lateness at every event. After a pause the beat
  // starts again from now.
  const int64_t beat = lastInjection_ + kInjectionSpacingUs;
  lastInjection_ = now < beat + kInjectionSpacingUs ? beat : now;
  Prune();
  return batch;
}

void Player::WentOut(int64_t at) {
  for (Playback& p : playbacks_) {
    if (!p.holdFromWentOut) continue;
    p.holdFromWentOut = false;
    p.due = std::max(p.due, at + static_cast<int64_t>(p.program->steps[p.step].delayMs) * 1000);
  }
}

std::optional<int64_t> Player::NextWake(int64_t now) {
  for (Playback& p : playbacks_) Settle(p);
  Prune();
  std::optional<int64_t> wake;
  for (const Playback& p : playbacks_) {
    if (Peek(p) && (!wake || p.due < *wake)) wake = p.due;
  }
  if (!wake) return std::nullopt;
  return std::max({*wake, lastInjection_ + kInjectionSpacingUs, now});
}

bool Player::Playing(int64_t now, uint64_t before) {
  if (!NextWake(now)) return false;  // settles and prunes
  return std::any_of(playbacks_.begin(), playbacks_.end(),
                     [before](const Playback& p) { return p.sequence < before && Peek(p); });
}

void Player::Abandon(int64_t now, uint64_t before) {
  auto abandoned = [before](const Playback& p) { return p.sequence < before; };
  // Keys a playback that plays on holds stay down for it: it lets go of them itself.
  std::bitset<256> keptDown;
  std::vector<int> keptMarked;  // typed units and buttons a playback that plays on holds
  for (const Playback& p : playbacks_) {
    if (abandoned(p)) continue;
    for (int pressed : p.pressed) {
      if ((pressed & kMarks) == 0) {
        keptDown.set(static_cast<size_t>(pressed) & 0xFF);
      } else {
        keptMarked.push_back(pressed);
      }
    }
  }
  Playback releases;
  releases.ending = true;
  releases.due = now;
  for (int code = 255; code >= 0; --code) {
    const auto slot = static_cast<size_t>(code);
    if (held_[slot] && !keptDown[slot]) releases.pressed.push_back(code);  // the back goes first
  }
  // A typed unit left down by a text cut short, and a mouse button, go up too, before the keys.
  for (const Playback& p : playbacks_) {
    if (!abandoned(p)) continue;
    for (int pressed : p.pressed) {
      if ((pressed & kMarks) == 0 || std::find(keptMarked.begin(), keptMarked.end(), pressed) != keptMarked.end() ||
          std::find(releases.pressed.begin(), releases.pressed.end(), pressed) != releases.pressed.end()) {
        continue;
      }
      releases.pressed.push_back(pressed);
    }
  }
  std::erase_if(playbacks_, abandoned);
  for (size_t key = 0; key < skipNextPlay_.size(); ++key) {
    if (skipSequence_[key] < before) skipNextPlay_.reset(key);
  }
  if (!releases.pressed.empty()) playbacks_.insert(playbacks_.begin(), std::move(releases));
}

}  // namespace orvelle
