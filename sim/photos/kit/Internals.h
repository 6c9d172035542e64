#pragma once
// Inside PhotoKit: the process's library and the storage of PhotoKit's
// objects over the PhotoStore. The frameworks' own files, the device's
// tools (lumisim reads the store) and the tests include this; apps and
// injected libraries see only PhotoKit.h.

#include "sim/dispatch/Queue.h"
#include "sim/foundation/Value.h"
#include "sim/photos/PhotoStore.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Weak.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace photos {

// ---- the process's library ----------------------------------------------------------------
class Library {
public:
    static Library& shared();
    // Null when the library cannot be opened (the device has no writable
    // media folder); fetches are then empty and changes fail.
    PhotoStore* store();
    dsp::SerialQueue& queue() { return m_queue; }
    // Blocks until every change submitted so far, with its completion, has run.
    void waitUntilIdle() { m_queue.waitUntilIdle(); }

    // Change observers (not retained): each hears photoLibraryDidChange:
    // on the library's queue after a change of this process is committed.
    void addObserver(rt::Id observer);
    void removeObserver(rt::Id observer);
    void notifyObservers();

private:
    Library()
        : m_queue("com.apple.photos.library") {}
    std::mutex m_observersLock;
    std::vector<std::unique_ptr<rt::Weak<rt::Object>>> m_observers;
    std::once_flag m_opened;
    std::unique_ptr<PhotoStore> m_store;
    dsp::SerialQueue m_queue;
};

// ---- objects ----------------------------------------------------------------------------------
class AssetObject : public rt::Object {
public:
    using Object::Object;
    AssetRecord record;
};

enum class CollectionKind { Album, Smart, Moment, Transient };

class CollectionObject : public rt::Object {
public:
    using Object::Object;
    CollectionKind kind = CollectionKind::Album;
    int64_t key = 0; // the album's row id, the smart album's subtype or the moment's day
    std::string uuid;
    std::string title; // empty: none
    std::string localizedTitle;
    long type = PHAssetCollectionTypeAlbum;
    long subtype = PHAssetCollectionSubtypeAlbumRegular;
    std::optional<int64_t> folder;
    double startDate = 0, endDate = 0;
    std::vector<rt::Ref<rt::Object>> transientAssets;
};

enum class ListKind { Folder, TopLevel, Transient };

class CollectionListObject : public rt::Object {
public:
    using Object::Object;
    ListKind kind = ListKind::Folder;
    int64_t folder = 0;
    std::string uuid;
    std::string title;
    std::vector<rt::Ref<rt::Object>> transientCollections;
};

class FetchOptionsObject : public rt::Object {
public:
    using Object::Object;
    bool includeHidden = false;
    rt::Ref<rt::Object> predicate;
    std::vector<rt::Ref<rt::Object>> sortDescriptors;
    unsigned long fetchLimit = 0;
};

// An ordered, immutable list. Asset results keep only row ids and load the
// assets in chunks of 64 when they are first asked for, so that a result of
// every asset costs little more than its ids; an asset deleted since the
// fetch then reads as nil.
class FetchResultObject : public rt::Object {
public:
    using Object::Object;
    std::string fetchType;
    void setObjects(std::vector<rt::Ref<rt::Object>> objects);
    void setAssetIds(std::vector<int64_t> ids);
    std::size_t size() const;
    rt::Ref<rt::Object> at(std::size_t i);
    std::vector<rt::Ref<rt::Object>> all();

private:
    static constexpr std::size_t kChunk = 64;
    struct Chunk {
        std::array<rt::Ref<rt::Object>, kChunk> objects;
    };
    Chunk& chunk(std::size_t c); // loads it when it is not yet; under m_lock
    mutable std::mutex m_lock;
    bool m_lazy = false;
    std::vector<rt::Ref<rt::Object>> m_objects; // an eager result
    std::vector<int64_t> m_assetIds;            // a lazy one
    std::vector<std::unique_ptr<Chunk>> m_chunks;
};

// ---- helpers for the framework, the tools and the tests --------------------------------------------
rt::Ref<rt::Object> makeFetchOptions(bool includeHidden = false);
rt::Ref<rt::Object> makeAsset(AssetRecord record);
const AssetRecord* assetRecordOf(rt::Id obj);
CollectionObject* collectionOf(rt::Id obj);
CollectionListObject* collectionListOf(rt::Id obj);
FetchResultObject* fetchResultOf(rt::Id obj);
FetchOptionsObject* fetchOptionsOf(rt::Id obj);

// The "uuid" part of a local identifier ("uuid/L0/001").
std::string uuidOfIdentifier(const std::string& localIdentifier);

} // namespace photos
