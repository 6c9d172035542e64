#pragma once
// lumicrate12's start-up routine and its hook table.
//
// startUp runs once, from the library's constructor, when the device injects
// lumicrate12 into a process, before the app's own code: it loads the
// settings, subscribes reloadPrefs to "com.zel.lumicrate12prefs/reloadPrefs",
// then, by the process's bundle identifier, fixes the camera's chosenAlbum
// (Camera), creates the state folder (SpringBoard), and installs the hook
// groups of the process ("camera", "photos", "springboard", then "other"
// everywhere but "com.apple.store.Jolly"), each only while `enabled` is on.
//
// A row of the table is one hook, written once: its group, host class,
// selector and kind, the implementation, and for a replacement the slot
// that keeps the previous implementation (whose type the compiler checks
// against the implementation's), or for an added method its type encoding.
// R replaces an instance method and C a class method, A adds a method. The
// installer reads nothing else: a row cannot describe one selector and hook
// another. Before it installs a row it checks the implementation against
// the host's method (or, for an added method, against the row's encoding),
// and a mismatch ends the process with a line that names the row, so a
// wrong row fails at start-up, in the tests, not at the first call. A host
// class (or a replaced method) that the process lacks is skipped silently.
//
// It also defines LCLockView (a UIView with a strong photoView property,
// nothing else of its own), the lock overlay of a locked album's tile.

#include "sim/runtime/Runtime.h"
#include "tweak/core/Diagnostics.h"

#include <string>
#include <type_traits>
#include <vector>

namespace lc {

enum class HookKind { Replace, ReplaceClass, Add };

struct HookRow {
    const char* group;
    const char* className;
    const char* selector;
    HookKind kind;
    const char* types; // an added method's type encoding; null for a replacement
    rt::ErasedImp implementation;
    const rt::Signature* (*signature)(); // the implementation's
    rt::OrigSlot* previous;              // a replacement's slot; null for an added method
};

// R and C rows: the slot's type must be the implementation's.
template <auto F, class Sig> HookRow replace(const char* group, const char* cls, const char* sel, rt::Orig<Sig>& slot) {
    static_assert(std::is_same_v<typename rt::ImpTraits<F>::Function, Sig>,
                  "the previous-implementation slot must have the replacement's type");
    return {group, cls, sel, HookKind::Replace, nullptr, rt::ImpTraits<F>::erased(), &rt::ImpTraits<F>::signature,
            &slot};
}
template <auto F, class Sig>
HookRow replaceClass(const char* group, const char* cls, const char* sel, rt::Orig<Sig>& slot) {
    HookRow row = replace<F>(group, cls, sel, slot);
    row.kind = HookKind::ReplaceClass;
    return row;
}
// A rows.
template <auto F> HookRow add(const char* group, const char* cls, const char* sel, const char* types) {
    return {group, cls, sel, HookKind::Add, types, rt::ImpTraits<F>::erased(), &rt::ImpTraits<F>::signature, nullptr};
}

const std::vector<HookRow>& hookTable();
// "camera R -[CAMBottomBar layoutSubviews]": how a row is named in messages.
std::string describeRow(const HookRow& row);

// The whole start-up, in order (what the constructor calls).
void startUp();
// Installs the rows of one group: the number installed.
int installGroup(const std::string& group);
// Installs the rows of `rows` in `group` (what installGroup does with the
// product's table; tests give it rows of their own).
int installRows(const std::vector<HookRow>& rows, const std::string& group);

} // namespace lc
