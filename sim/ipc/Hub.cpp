#include "sim/ipc/Hub.h"

#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Operations.h"

#include <algorithm>

namespace ipc {

using fnd::Dictionary;
using fnd::Value;

const char* suspensionName(Suspension s) {
    switch (s) {
    case Suspension::Drop:
        return "drop";
    case Suspension::Coalesce:
        return "coalesce";
    case Suspension::Hold:
        return "hold";
    case Suspension::DeliverImmediately:
        return "immediate";
    }
    return "?";
}

std::optional<Suspension> suspensionFromName(const std::string& s) {
    for (Suspension x : {Suspension::Drop, Suspension::Coalesce, Suspension::Hold, Suspension::DeliverImmediately})
        if (s == suspensionName(x)) return x;
    return std::nullopt;
}

namespace {
const std::string* stringField(const Dictionary& op, const char* key) {
    const std::string* s = fnd::valueForKey(op, key).string();
    return s && !s->empty() ? s : nullptr;
}
} // namespace

Hub::PeerId Hub::addPeer(PeerIdentity identity, Sink sink) {
    std::lock_guard guard(m_lock);
    PeerId id = m_nextPeer++;
    m_peers.emplace(id, Peer{std::move(identity), std::move(sink), false, {}, {}, {}, 0, {}});
    return id;
}

void Hub::removePeer(PeerId peer) {
    std::lock_guard guard(m_lock);
    m_peers.erase(peer);
    std::erase_if(m_centres, [peer](const auto& kv) { return kv.second == peer; });
}

// The hub's operations: name -> handler, each with the lock held.
const std::map<std::string_view, Hub::Operation>& Hub::operations() {
    static const std::map<std::string_view, Operation> table{
        {op::kPost, &Hub::postOp},         {op::kObserve, &Hub::observeOp}, {op::kUnobserve, &Hub::observeOp},
        {op::kRegister, &Hub::registerOp}, {op::kSend, &Hub::sendOp},
    };
    return table;
}

bool Hub::handles(std::string_view operation) { return operations().count(operation) != 0; }

bool Hub::handle(PeerId from, const Dictionary& op) {
    std::vector<std::string> refusals;
    bool ok = false;
    {
        std::lock_guard guard(m_lock);
        auto it = m_peers.find(from);
        if (it == m_peers.end()) return false;
        const std::string* kind = fnd::valueForKey(op, op::kKey).string();
        if (!kind) return false;
        auto handler = operations().find(*kind);
        if (handler == operations().end()) return false;
        ok = (this->*handler->second)(it->second, from, *kind, op);
        refusals.swap(m_refusals);
    }
    for (const auto& line : refusals)
        fnd::systemLog(fnd::LogLevel::Error, line);
    return ok;
}

bool Hub::refuse(Peer& peer, const char* cap) {
    // Logged once the lock is released: a log line may itself reach the hub.
    if (peer.refusalsLogged.insert(cap).second)
        m_refusals.push_back(std::string("hub: refused ") + cap + " from pid " + std::to_string(peer.identity.pid) +
                             " (" + peer.identity.bundleIdentifier.value_or("no app") + ")");
    return true;
}

bool Hub::postOp(Peer& sender, PeerId, const std::string&, const Dictionary& op) {
    const std::string* name = stringField(op, "name");
    if (!name) return false;
    if (name->size() > kMaxNameBytes) return refuse(sender, "a post of a name past 4096 bytes");
    return postLocked(*name);
}

bool Hub::observeOp(Peer& sender, PeerId, const std::string& kind, const Dictionary& op) {
    const std::string* name = stringField(op, "name");
    const std::string* behavior = fnd::valueForKey(op, "behavior").string();
    auto s = behavior ? suspensionFromName(*behavior) : std::nullopt;
    if (!name || !s) return false;
    auto known = sender.observing.find(*name);
    if (kind == op::kObserve) {
        if (name->size() > kMaxNameBytes) return refuse(sender, "an observation of a name past 4096 bytes");
        if (known == sender.observing.end()) {
            if (sender.observing.size() >= kMaxObservedNames || sender.observedBytes + name->size() > kMaxObservedBytes)
                return refuse(sender, "observations past its share of names");
            known = sender.observing.emplace(*name, std::map<Suspension, int>{}).first;
            sender.observedBytes += name->size();
        }
        int& count = known->second[*s];
        if (count >= kMaxObservationsPerName) return refuse(sender, "more observations of one name");
        ++count;
        return true;
    }
    if (known == sender.observing.end()) return true;
    auto& counts = known->second;
    if (auto c = counts.find(*s); c != counts.end() && --c->second == 0) counts.erase(c);
    if (counts.empty()) {
        sender.observedBytes -= known->first.size();
        sender.observing.erase(known);
    }
    return true;
}

bool Hub::registerOp(Peer& sender, PeerId from, const std::string&, const Dictionary& op) {
    const std::string* center = stringField(op, "center");
    if (!center) return false;
    bool allowed = sender.identity.system && !sender.identity.sandboxed;
    auto owner = m_centres.find(*center);
    if (allowed && owner == m_centres.end()) {
        std::size_t held = 0;
        for (const auto& [name, holder] : m_centres)
            held += holder == from;
        if (held >= kMaxCentres || center->size() > kMaxNameBytes) {
            refuse(sender, "registrations past its share of centres");
            allowed = false;
        }
    }
    bool ok = allowed && (owner == m_centres.end() || owner->second == from);
    if (ok) m_centres[*center] = from;
    sender.sink(Dictionary{{op::kKey, Value(op::kRegistered)}, {"center", Value(*center)}, {"ok", Value(ok)}});
    return true;
}

bool Hub::sendOp(Peer& sender, PeerId, const std::string&, const Dictionary& op) {
    const std::string* center = stringField(op, "center");
    const std::string* message = stringField(op, "message");
    const Value& info = fnd::valueForKey(op, "userInfo");
    if (!center || !message || !(info.isNone() || info.dictionary())) return false;
    auto owner = m_centres.find(*center);
    if (owner == m_centres.end()) return true; // no server: lost, silently
    auto peer = m_peers.find(owner->second);
    if (peer == m_peers.end()) return true;
    peer->second.sink(Dictionary{
        {op::kKey, Value(op::kMessage)},
        {"center", Value(*center)},
        {"message", Value(*message)},
        {"userInfo", info.isNone() ? Value(Dictionary{}) : info},
        {"sender", Value(sender.identity.toDictionary())},
    });
    return true;
}

void Hub::post(const std::string& name) {
    std::lock_guard guard(m_lock);
    postLocked(name);
}

bool Hub::postLocked(const std::string& name) {
    for (auto& [id, p] : m_peers) {
        auto obs = p.observing.find(name);
        if (obs == p.observing.end()) continue;
        const auto& counts = obs->second;
        if (!p.suspended) {
            deliverLocked(p, name, "all");
            continue;
        }
        if (counts.count(Suspension::DeliverImmediately)) deliverLocked(p, name, "immediate");
        if (counts.count(Suspension::Coalesce) &&
            std::find(p.owedCoalesced.begin(), p.owedCoalesced.end(), name) == p.owedCoalesced.end())
            p.owedCoalesced.push_back(name);
        if (counts.count(Suspension::Hold)) p.owedHeld.push_back(name);
    }
    return true;
}

void Hub::deliverLocked(Peer& p, const std::string& name, const char* scope) {
    p.sink(Dictionary{{op::kKey, Value(op::kNotify)}, {"name", Value(name)}, {"scope", Value(scope)}});
}

void Hub::setSuspended(PeerId peer, bool suspended) {
    std::lock_guard guard(m_lock);
    auto it = m_peers.find(peer);
    if (it == m_peers.end()) return;
    Peer& p = it->second;
    if (p.suspended == suspended) return;
    p.suspended = suspended;
    if (suspended) return;
    for (const auto& name : p.owedHeld)
        deliverLocked(p, name, "hold");
    for (const auto& name : p.owedCoalesced)
        deliverLocked(p, name, "coalesce");
    p.owedHeld.clear();
    p.owedCoalesced.clear();
}

bool Hub::isSuspended(PeerId peer) const {
    std::lock_guard guard(m_lock);
    auto it = m_peers.find(peer);
    return it != m_peers.end() && it->second.suspended;
}

std::optional<PeerIdentity> Hub::identity(PeerId peer) const {
    std::lock_guard guard(m_lock);
    auto it = m_peers.find(peer);
    if (it == m_peers.end()) return std::nullopt;
    return it->second.identity;
}

std::optional<Hub::PeerId> Hub::ownerOf(const std::string& center) const {
    std::lock_guard guard(m_lock);
    auto it = m_centres.find(center);
    if (it == m_centres.end()) return std::nullopt;
    return it->second;
}

std::optional<Hub::PeerId> Hub::peerWithPid(pid_t pid) const {
    std::lock_guard guard(m_lock);
    for (const auto& [id, p] : m_peers)
        if (p.identity.pid == pid) return id;
    return std::nullopt;
}

std::vector<std::string> Hub::centres() const {
    std::lock_guard guard(m_lock);
    std::vector<std::string> out;
    for (const auto& [name, owner] : m_centres)
        out.push_back(name);
    return out;
}

bool Hub::observes(PeerId peer, const std::string& name) const {
    std::lock_guard guard(m_lock);
    auto it = m_peers.find(peer);
    return it != m_peers.end() && it->second.observing.count(name) != 0;
}

std::vector<std::string> Hub::observedNames(PeerId peer) const {
    std::lock_guard guard(m_lock);
    std::vector<std::string> out;
    auto it = m_peers.find(peer);
    if (it == m_peers.end()) return out;
    for (const auto& [name, behaviour] : it->second.observing)
        out.push_back(name);
    return out;
}

std::size_t Hub::peerCount() const {
    std::lock_guard guard(m_lock);
    return m_peers.size();
}

} // namespace ipc
