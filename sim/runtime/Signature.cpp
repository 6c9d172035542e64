#include "sim/runtime/Signature.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace rt {

std::string reduceEncoding(std::string_view full) {
    std::string out;
    out.reserve(full.size());
    for (std::size_t i = 0; i < full.size(); ++i) {
        char c = full[i];
        out += c;
        if (c != '@' || i + 1 >= full.size()) continue;
        if (full[i + 1] == '"') { // object tag: skip to the closing quote
            std::size_t end = full.find('"', i + 2);
            i = end == std::string_view::npos ? full.size() : end;
        } else if (full[i + 1] == '?') {
            out += '?';
            ++i;
            if (i + 1 < full.size() && full[i + 1] == '<') { // block signature, may nest
                int depth = 0;
                std::size_t j = i + 1;
                for (; j < full.size(); ++j) {
                    if (full[j] == '<')
                        ++depth;
                    else if (full[j] == '>' && --depth == 0)
                        break;
                }
                i = j;
            }
        }
    }
    return out;
}

const Signature* internSignature(const std::string& full) {
    static std::mutex lock;
    static auto* storage = new std::deque<Signature>; // process lifetime, stable addresses
    static auto* byText = new std::unordered_map<std::string_view, const Signature*>;
    std::lock_guard guard(lock);
    if (auto it = byText->find(full); it != byText->end()) return it->second;
    storage->push_back(Signature{full, reduceEncoding(full)});
    const Signature* s = &storage->back();
    byText->emplace(s->full, s);
    return s;
}

} // namespace rt
