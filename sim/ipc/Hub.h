#pragma once
// Hub: the device's switchboard for Darwin notifications and named messages.
//
// Every process is a peer with an identity the hub is given (never one the
// peer claims). Peers speak to the hub in the operations Operations.h names
// (observe, unobserve, post, register, send; and down: notify, message,
// registered), property-list dictionaries with an "op" key.
//
// Notifications fan out to every peer that observes the name, once per post.
// A suspended peer gets "deliver immediately" observations at once; its
// "coalesce" observations are owed one delivery per name on resume, however
// many posts came; "hold" ones are owed every post, in order; "drop" ones get
// nothing. A centre name belongs to the first system, unsandboxed peer that
// registers it, until that peer leaves. Messages are handed to the owner in
// the order the hub receives them, stamped with the sender's identity; with
// no owner they are lost, and the sender is not told.
//
// What one peer may hold is capped: names of at most kMaxNameBytes, at most
// kMaxObservedNames names observed (kMaxObservedBytes of them in all), each
// observed at most kMaxObservationsPerName times over, and kMaxCentres
// centres. What passes a cap is refused (the peer is kept), with one log
// line per peer and cap.
//
// The same hub runs in a test process (the in-process transport) and in the
// device daemon (the socket transport), so the semantics exist once. It is
// locked inside and may be called from any thread; sinks are called with the
// lock held and must only queue what they are given.

#include "sim/foundation/Value.h"
#include "sim/ipc/PeerIdentity.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ipc {

enum class Suspension { Drop = 1, Coalesce = 2, Hold = 3, DeliverImmediately = 4 };
const char* suspensionName(Suspension s);
std::optional<Suspension> suspensionFromName(const std::string& s);

class Hub {
public:
    static constexpr std::size_t kMaxNameBytes = 4096;
    static constexpr std::size_t kMaxObservedNames = 4096;
    static constexpr std::size_t kMaxObservedBytes = 1u << 20;
    static constexpr int kMaxObservationsPerName = 1024;
    static constexpr std::size_t kMaxCentres = 64;

    using PeerId = std::uint64_t;
    using Sink = std::function<void(const fnd::Dictionary& op)>;

    PeerId addPeer(PeerIdentity identity, Sink sink);
    void removePeer(PeerId peer);
    // Handles one operation from a peer. False when the operation is
    // malformed, or not one of the hub's: the caller drops that peer.
    bool handle(PeerId peer, const fnd::Dictionary& op);
    // A post made by the device itself (what the daemon tells every observer).
    void post(const std::string& name);
    // Whether the operation is one of the hub's (the device answers the others).
    static bool handles(std::string_view operation);
    // Suspending starts holding back coalesced and held notifications;
    // resuming delivers what is owed.
    void setSuspended(PeerId peer, bool suspended);
    bool isSuspended(PeerId peer) const;

    std::optional<PeerIdentity> identity(PeerId peer) const;
    std::optional<PeerId> ownerOf(const std::string& center) const;
    std::optional<PeerId> peerWithPid(pid_t pid) const;
    std::vector<std::string> centres() const;
    // Whether the peer observes the name with any behavior (tests wait on it).
    bool observes(PeerId peer, const std::string& name) const;
    // The names the peer observes, sorted (the device's status lists them).
    std::vector<std::string> observedNames(PeerId peer) const;
    std::size_t peerCount() const;

private:
    struct Peer {
        PeerIdentity identity;
        Sink sink;
        bool suspended = false;
        std::map<std::string, std::map<Suspension, int>> observing;
        std::vector<std::string> owedCoalesced; // names, each once, in first-post order
        std::deque<std::string> owedHeld;
        std::size_t observedBytes = 0;
        std::set<std::string> refusalsLogged; // which caps this peer met, each logged once
    };
    // Refuses what passes a cap: one log line per peer and cap, written once
    // the lock is released; true (the peer is kept).
    bool refuse(Peer& peer, const char* cap);
    std::vector<std::string> m_refusals; // lines to log, under the lock

    using Operation = bool (Hub::*)(Peer& sender, PeerId from, const std::string& kind, const fnd::Dictionary& op);
    static const std::map<std::string_view, Operation>& operations();
    // The operations, with the lock held.
    bool postOp(Peer& sender, PeerId from, const std::string& kind, const fnd::Dictionary& op);
    bool observeOp(Peer& sender, PeerId from, const std::string& kind, const fnd::Dictionary& op);
    bool registerOp(Peer& sender, PeerId from, const std::string& kind, const fnd::Dictionary& op);
    bool sendOp(Peer& sender, PeerId from, const std::string& kind, const fnd::Dictionary& op);

    bool postLocked(const std::string& name);
    void deliverLocked(Peer& p, const std::string& name, const char* scope);

    mutable std::mutex m_lock;
    std::map<PeerId, Peer> m_peers;
    std::map<std::string, PeerId> m_centres;
    PeerId m_nextPeer = 1;
};

} // namespace ipc
