// PHFetchResult: an ordered list of fetched objects, assets loaded lazily.

#include "sim/foundation/NSSet.h"
#include "sim/photos/kit/Classes.h"

namespace photos {

using rt::Ref;
using namespace rt::literals;

void FetchResultObject::setObjects(std::vector<Ref<rt::Object>> objects) {
    std::lock_guard guard(m_lock);
    m_lazy = false;
    m_objects = std::move(objects);
    m_assetIds.clear();
    m_chunks.clear();
}

void FetchResultObject::setAssetIds(std::vector<int64_t> ids) {
    std::lock_guard guard(m_lock);
    m_lazy = true;
    m_objects.clear();
    m_chunks.clear();
    m_chunks.resize((ids.size() + kChunk - 1) / kChunk);
    m_assetIds = std::move(ids);
}

std::size_t FetchResultObject::size() const {
    std::lock_guard guard(m_lock);
    return m_lazy ? m_assetIds.size() : m_objects.size();
}

FetchResultObject::Chunk& FetchResultObject::chunk(std::size_t c) {
    if (m_chunks[c]) return *m_chunks[c];
    auto loaded = std::make_unique<Chunk>();
    std::size_t from = c * kChunk, to = std::min(m_assetIds.size(), from + kChunk);
    std::vector<int64_t> wanted(m_assetIds.begin() + static_cast<std::ptrdiff_t>(from),
                                m_assetIds.begin() + static_cast<std::ptrdiff_t>(to));
    std::vector<AssetRecord> records = kit::store() ? kit::store()->assetsWithIds(wanted) : std::vector<AssetRecord>{};
    // assetsWithIds keeps the order and leaves out deleted rows.
    std::size_t r = 0;
    for (std::size_t i = from; i < to; ++i)
        if (r < records.size() && records[r].id == m_assetIds[i]) loaded->objects[i - from] = makeAsset(records[r++]);
    m_chunks[c] = std::move(loaded);
    return *m_chunks[c];
}

Ref<rt::Object> FetchResultObject::at(std::size_t i) {
    std::lock_guard guard(m_lock);
    if (!m_lazy) return i < m_objects.size() ? m_objects[i] : nullptr;
    if (i >= m_assetIds.size()) return nullptr;
    return chunk(i / kChunk).objects[i % kChunk];
}

std::vector<Ref<rt::Object>> FetchResultObject::all() {
    std::lock_guard guard(m_lock);
    if (!m_lazy) return m_objects;
    std::vector<Ref<rt::Object>> out;
    out.reserve(m_assetIds.size());
    for (std::size_t c = 0; c < m_chunks.size(); ++c)
        for (auto& o : chunk(c).objects)
            if (o) out.push_back(o);
    return out;
}

namespace {

unsigned long count(FetchResultObject* self, rt::Sel) { return self->size(); }
Ref<rt::Object> firstObject(FetchResultObject* self, rt::Sel) { return self->at(0); }
Ref<rt::Object> lastObject(FetchResultObject* self, rt::Sel) {
    std::size_t n = self->size();
    return n ? self->at(n - 1) : nullptr;
}
Ref<rt::Object> objectAtIndex(FetchResultObject* self, rt::Sel, unsigned long i) {
    if (i >= self->size())
        rt::fatal("-[PHFetchResult objectAtIndex:]: index " + std::to_string(i) + " beyond bounds [0 .. " +
                  std::to_string(self->size()) + ")");
    return self->at(i);
}

void enumerate(FetchResultObject* self, rt::Sel, rt::Block<void(Ref<rt::Object>, unsigned long, bool*)> block) {
    std::size_t n = self->size();
    for (std::size_t i = 0; i < n; ++i) {
        bool stop = false;
        block(self->at(i), i, &stop);
        if (stop) break;
    }
}

std::vector<Ref<rt::Object>> fetchedObjects(FetchResultObject* self, rt::Sel) { return self->all(); }

Ref<rt::Object> fetchedObjectIDsSet(FetchResultObject* self, rt::Sel) {
    std::set<std::string> ids;
    for (auto& o : self->all())
        ids.insert(rt::send<std::string>(o, "localIdentifier"_sel));
    return fnd::makeStringSet(std::move(ids));
}

std::string fetchType(FetchResultObject* self, rt::Sel) { return self->fetchType; }

long indexOfObject(FetchResultObject* self, rt::Sel, Ref<rt::Object> obj) {
    if (!obj) return -1;
    std::size_t n = self->size();
    for (std::size_t i = 0; i < n; ++i)
        if (rt::send<bool>(self->at(i), "isEqual:"_sel, obj)) return static_cast<long>(i);
    return -1; // NSNotFound reads as -1 here
}

bool containsObject(FetchResultObject* self, rt::Sel, Ref<rt::Object> obj) {
    return indexOfObject(self, nullptr, std::move(obj)) >= 0;
}

} // namespace

namespace kit {

void defineFetchResult(Classes& c) {
    c.fetchResult = rt::defineClass("PHFetchResult", nullptr, rt::factoryOf<FetchResultObject>);
    rt::addMethod<&count>(c.fetchResult, "count"_sel);
    rt::addMethod<&firstObject>(c.fetchResult, "firstObject"_sel);
    rt::addMethod<&lastObject>(c.fetchResult, "lastObject"_sel);
    rt::addMethod<&objectAtIndex>(c.fetchResult, "objectAtIndex:"_sel);
    rt::addMethod<&enumerate>(c.fetchResult, "enumerateObjectsUsingBlock:"_sel);
    rt::addMethod<&fetchedObjects>(c.fetchResult, "fetchedObjects"_sel);
    rt::addMethod<&fetchedObjectIDsSet>(c.fetchResult, "fetchedObjectIDsSet"_sel);
    rt::addMethod<&fetchType>(c.fetchResult, "fetchType"_sel);
    rt::addMethod<&indexOfObject>(c.fetchResult, "indexOfObject:"_sel);
    rt::addMethod<&containsObject>(c.fetchResult, "containsObject:"_sel);
}

Ref<rt::Object> makeResult(std::string type, std::vector<Ref<rt::Object>> objects) {
    auto r = rt::createInstance<FetchResultObject>(classes().fetchResult);
    r->fetchType = std::move(type);
    r->setObjects(std::move(objects));
    return r;
}

Ref<rt::Object> makeAssetResult(std::vector<int64_t> ids) {
    auto r = rt::createInstance<FetchResultObject>(classes().fetchResult);
    r->fetchType = "PHAsset";
    r->setAssetIds(std::move(ids));
    return r;
}

} // namespace kit
} // namespace photos
