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
// A row of the table names its group, host class, selector and kind:
// R replaces an instance method and keeps the previous implementation in a
// slot the hook calls, C does the same on the metaclass, A adds a method
// under its type encoding. A host class the process lacks is skipped
// silently. Rows join the table together with the behaviour they install.
//
// It also defines LCLockView (a UIView with a strong photoView property,
// nothing else of its own), the lock overlay of a locked album's tile.

#include <string>
#include <vector>

namespace lc {

enum class HookKind { Replace, ReplaceClass, Add };

struct HookRow {
    const char* group;
    const char* className;
    const char* selector;
    HookKind kind;
    const char* types; // the encoding of an added method; null otherwise
    bool (*install)(void* cls);
};

const std::vector<HookRow>& hookTable();

// The whole start-up, in order (what the constructor calls).
void startUp();
// Installs the rows of one group: the number installed.
int installGroup(const std::string& group);

// The diagnostic line at notice level: "[lumicrate12] Tweak:<line> DEBUG: <message>",
// in the colours of the system's debug lines.
void logDebug(int line, const std::string& message);

} // namespace lc
