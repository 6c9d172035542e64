#include "tweak/filter/QueryFilter.h"

#include "sim/photos/kit/PhotoKit.h"
#include "tweak/filter/FilterInputs.h"
#include "tweak/filter/FolderCopies.h"
#include "tweak/filter/WithheldPhotos.h"

#include <mutex>

namespace lc {

using namespace rt::literals;
using namespace filter;
using rt::Ref;

constinit rt::Orig<Objects()> g_listCollections, g_resultFetchedObjects;
constinit rt::Orig<Ref<rt::Object>()> g_resultFetchedObjectIDsSet, g_resultFirstObject, g_resultLastObject;
constinit rt::Orig<Ref<rt::Object>(Ref<rt::Object>, Ref<rt::Object>)> g_fetchAssetsInCollection,
    g_fetchKeyAssetsInCollection;
constinit rt::Orig<Ref<rt::Object>(long, long, Ref<rt::Object>)> g_fetchCollectionsWithType;
constinit rt::Orig<unsigned long()> g_resultCount;
constinit rt::Orig<Ref<rt::Object>(unsigned long)> g_resultObjectAtIndex;
constinit rt::Orig<void(EnumerationBlock)> g_resultEnumerate;
constinit rt::Orig<bool(Ref<rt::Object>)> g_resultContainsObject;
constinit rt::Orig<long(Ref<rt::Object>)> g_resultIndexOfObject;
constinit rt::Orig<unsigned long()> g_estimatedAssetCount;
constinit rt::Orig<Ref<rt::Object>(Ref<rt::Object>)> g_fetchAssetsWithOptions;
constinit rt::Orig<Ref<rt::Object>(long, Ref<rt::Object>)> g_fetchAssetsWithMediaType;
constinit rt::Orig<Ref<rt::Object>(std::vector<std::string>, Ref<rt::Object>)> g_fetchAssetsWithLocalIdentifiers;

namespace {

// ---- reading the library's objects ------------------------------------------------------------------
using namespace photos;

// An object's title; "" for one that has none. An asset collection's
// through its face (the common case, on the lists' hot path); any other
// object a list may hold through the checked send.
std::string titleOf(rt::Id o) {
    if (!o) return {};
    if (rt::isKindOf(o, PHAssetCollection::cls())) return PHAssetCollection(Ref<rt::Object>(o)).title();
    auto title = rt::trySend<std::string>(o, "title"_sel);
    return title.ok() ? title.value() : std::string();
}

struct Kind {
    bool hasSubtype = false; // an asset collection (an album, smart album or moment)
    PHAssetCollectionType type = 0;
    PHAssetCollectionSubtype subtype = 0;
};
Kind kindOf(rt::Id o) {
    if (!o || !rt::isKindOf(o, PHAssetCollection::cls())) return {};
    PHAssetCollection c{Ref<rt::Object>(o)};
    return {true, c.assetCollectionType(), c.assetCollectionSubtype()};
}
bool isSmartAlbum(const Kind& k, PHAssetCollectionSubtype subtype) {
    return k.hasSubtype && k.type == PHAssetCollectionTypeSmartAlbum && k.subtype == subtype;
}

// Every object of a fetch result, past the filter's own hook.
Objects stockObjects(rt::Id result) {
    return g_resultFetchedObjects ? g_resultFetchedObjects(result, "fetchedObjects"_sel)
                                  : rt::send<Objects>(result, "fetchedObjects"_sel);
}

// The options a fetch goes on with: the caller's, or new default ones.
Ref<rt::Object> optionsFor(Ref<rt::Object> options) {
    if (options) return options;
    return Ref<rt::Object>(photos::PHFetchOptions::new_().get());
}
void setIncludeHidden(const Ref<rt::Object>& options, bool on) {
    photos::PHFetchOptions(options).setIncludeHiddenAssets(on);
}

// An album's assets with the hidden ones, past the filter's lock rule.
Ref<rt::Object> stockAlbumAssets(rt::Id album) {
    PHFetchOptions options = PHFetchOptions::new_();
    options.setIncludeHiddenAssets(true);
    PHAssetCollection collection{Ref<rt::Object>(album)};
    if (!g_fetchAssetsInCollection) return PHAsset::fetchAssetsInAssetCollection_options(collection, options).ref();
    return g_fetchAssetsInCollection(PHAsset::cls(), "fetchAssetsInAssetCollection:options:"_sel, collection.ref(),
                                     options.ref());
}

constexpr StockReads kStockReads{&stockObjects, &stockAlbumAssets};

// ---- collections ------------------------------------------------------------------------------------
Objects filterCollections(const Objects& stock, bool cached) {
    Inputs in = currentInputs(); // the list is reloaded once per call
    Objects out;
    out.reserve(stock.size());
    std::shared_ptr<const FolderCopyList> copies;
    // A copy is appended unless the list holds its album itself (the albums
    // at this level; the rest sit in folders). The copies are added at the
    // first regular album, when the list still holds every regular album of
    // the stock's: those are the albums it holds.
    std::vector<char> held;
    for (const auto& c : stock) {
        rt::Id o = c.get();
        Kind k = kindOf(o);
        if (k.hasSubtype && PHAssetCollection(c).isTrashBin() && !showDeleted) continue;
        if (!k.hasSubtype) { // collection lists (folders) stay
            out.push_back(c);
            continue;
        }
        if (k.type == PHAssetCollectionTypeSmartAlbum && removesSmartAlbum(k.subtype, in)) continue;
        if (k.type == PHAssetCollectionTypeAlbum && k.subtype == PHAssetCollectionSubtypeAlbumRegular) {
            if (!copies) {
                copies = cached ? folderCopies(in, kStockReads) : buildFolderCopies(in, kStockReads);
                held.assign(copies->size(), 0);
            }
            const auto& byIdentifier = copies->albums().byIdentifier;
            if (auto it = byIdentifier.find(PHObject(c).localIdentifier()); it != byIdentifier.end())
                held[it->second] = 1;
            std::string title = titleOf(o);
            if (in.isLocked(title) && in.hideLockedFromApps) continue;
            if (in.switchedOff(title)) continue;
        }
        out.push_back(c);
    }
    if (copies)
        for (std::size_t i = 0; i < copies->size(); ++i)
            if (copies->appendable(i) && !held[i]) out.push_back(copies->copyAt(i));
    return out;
}

// ---- album fetches ----------------------------------------------------------------------------------
bool isAlbumFetchType(const std::string& type, bool byIdentifierToo) {
    return type == "PHAlbum" || type == "PHSmartAlbum" || (byIdentifierToo && type == "PHAssetCollection");
}
std::string fetchTypeOf(rt::Id result) {
    auto type = rt::trySend<std::string>(result, "fetchType"_sel);
    return type.ok() ? type.value() : std::string();
}

// Whether fetchedObjects filters this result here.
bool filtersFetchedObjects(rt::Id result) {
    Process p = process();
    if (p == Process::Photos || p == Process::Settings) return false;
    // A result that does not answer fetchType has none ("").
    if (!isAlbumFetchType(fetchTypeOf(result), p == Process::Other)) return false;
    return !(p == Process::Camera && showLockedinCamera);
}
// Whether every other reading of this result is filtered: in third-party apps.
bool filtersEveryReading(rt::Id result) {
    return process() == Process::Other && isAlbumFetchType(fetchTypeOf(result), true);
}

Objects filterAlbums(const Objects& stock, const Inputs& in) {
    Objects out;
    out.reserve(stock.size());
    for (const auto& c : stock) {
        rt::Id o = c.get();
        std::string title = titleOf(o);
        bool locked = in.isLocked(title);
        bool held = !locked;
        if (held) out.push_back(c);
        Kind k = kindOf(o);
        bool hiddenAlbum = isSmartAlbum(k, PHAssetCollectionSubtypeSmartAlbumAllHidden);
        if (hiddenAlbum && held) {
            out.pop_back();
            held = false;
        }
        if (in.switchedOff(title) && in.hideFoldersInApps && held) {
            out.pop_back();
            held = false;
        }
        // An album switched on comes back unless it is locked. The Hidden
        // smart album never does: a user album titled "Hidden" with its
        // switch on must not bring every hidden photo back with it.
        if (!title.empty() && !held && !hiddenAlbum && in.switchedOn(title) && !locked) out.push_back(c);
    }
    return out;
}

// A fetch's filtered list, kept on the fetch result under what it derives
// from. The result's own objects never change. An album fetch's leaves out
// the albums the app may not see; an asset fetch's the photos it may not
// get (WithheldPhotos), and with none withheld it says so (`stock`) and
// the readings are the stock ones.
class FilteredList : public rt::Object {
public:
    using Object::Object;
    std::uint64_t settingsGeneration = 0, lockedVersion = 0, withheldSerial = 0;
    bool stock = false;
    Objects objects;
};
const char kFilteredKey = 0;
rt::Class* filteredListClass() {
    static rt::Class* cls = [] {
        rt::Class* c = rt::getClass("LCFilteredList");
        return c ? c : rt::defineClass("LCFilteredList", nullptr, rt::factoryOf<FilteredList>);
    }();
    return cls;
}
FilteredList* keptListOf(const Ref<rt::Object>& held) {
    return rt::objectAs<FilteredList>(held.get(), filteredListClass());
}

// The kept list itself, not a copy: a walk by index reads it once per
// element. It stays valid while the caller holds it, whatever replaces it on
// the result meanwhile.
rt::Ref<FilteredList> filteredList(rt::Id result) {
    // The key first (the generation before the list: see FilterInputs.h);
    // the rest of the inputs only when the kept list is not for it.
    std::uint64_t generation = settingsGeneration();
    std::uint64_t lockedVersion = reloadLockedAlbums().version;
    rt::Ref<rt::Object> held = result->associated(&kFilteredKey);
    if (FilteredList* kept = keptListOf(held);
        kept && kept->settingsGeneration == generation && kept->lockedVersion == lockedVersion)
        return rt::Ref<FilteredList>(kept);
    Inputs in = currentInputs();
    auto list = rt::createInstance<FilteredList>(filteredListClass());
    list->settingsGeneration = in.settingsGeneration;
    list->lockedVersion = in.locked.version;
    list->objects = filterAlbums(stockObjects(result), in);
    result->setAssociated(&kFilteredKey, list);
    return list;
}

// ---- asset fetches that may hold withheld photos ------------------------------------------------------

// An asset fetch made in a third-party app that may list hidden photos (it
// asked for them, or names its photos) carries this mark; its readings then
// leave the withheld photos out. Others cannot hold one, and stay stock.
const char kWithholdingKey = 0;
void markWithholding(const Ref<rt::Object>& result) {
    if (!result || process() != Process::Other) return;
    static Ref<rt::Object> mark = rt::createInstance(filteredListClass());
    result->setAssociated(&kWithholdingKey, mark);
}
// Whether a fetch in this collection with these options may list a
// withheld photo: one that lists hidden photos (it asked for them, or it is
// the Hidden smart album) of a moment or a smart album. A user album the app
// may fetch shows, so none of its photos is withheld; a transient collection
// holds what the app gave it.
bool mayListWithheld(const Kind& k, const Ref<rt::Object>& options) {
    if (!k.hasSubtype || k.type == PHAssetCollectionTypeAlbum) return false;
    return PHFetchOptions(options).includeHiddenAssets() ||
           isSmartAlbum(k, PHAssetCollectionSubtypeSmartAlbumAllHidden);
}
bool marksWithholding(rt::Id result) { return static_cast<bool>(result->associated(&kWithholdingKey)); }

rt::Ref<FilteredList> withheldList(rt::Id result) {
    Inputs in = currentInputs();
    std::shared_ptr<const WithheldPhotos> withheld = withheldPhotos(in, kStockReads);
    rt::Ref<rt::Object> held = result->associated(&kFilteredKey);
    if (FilteredList* kept = keptListOf(held);
        kept && kept->withheldSerial == withheld->serial && kept->settingsGeneration == in.settingsGeneration)
        return rt::Ref<FilteredList>(kept);
    auto list = rt::createInstance<FilteredList>(filteredListClass());
    list->settingsGeneration = in.settingsGeneration;
    list->lockedVersion = in.locked.version;
    list->withheldSerial = withheld->serial;
    list->stock = withheld->empty();
    if (!list->stock)
        for (auto& o : stockObjects(result))
            if (!withheld->withholds(PHAsset(o))) list->objects.push_back(std::move(o));
    result->setAssociated(&kFilteredKey, list);
    return list;
}

// ---- which list a reading answers from -----------------------------------------------------------------

// A whole reading's (fetchedObjects, count, enumeration, first and last):
// null when the stock reading answers.
rt::Ref<FilteredList> listForWholeReading(rt::Id result, bool fetchedObjects) {
    if (fetchedObjects ? filtersFetchedObjects(result) : filtersEveryReading(result)) return filteredList(result);
    if (process() != Process::Other || !marksWithholding(result)) return nullptr;
    rt::Ref<FilteredList> list = withheldList(result);
    return list->stock ? nullptr : list;
}

// An element reading's (objectAtIndex:, containsObject:, indexOfObject:):
// the kept list as the last whole reading validated it, so that a walk by
// index costs no look at the locked list's file (nor the library's token)
// per element and reads one list from its count to its end. Such a list
// holds only what the app was shown when it was validated; a change of the
// settings still shows at once. A result never read whole is filtered
// afresh. Null: the stock reading answers.
rt::Ref<FilteredList> listForElementReading(rt::Id result) {
    if (process() != Process::Other) return nullptr;
    rt::Ref<rt::Object> held = result->associated(&kFilteredKey);
    if (FilteredList* kept = keptListOf(held); kept && kept->settingsGeneration == settingsGeneration())
        return kept->stock ? nullptr : rt::Ref<FilteredList>(kept);
    return listForWholeReading(result, false);
}

// Whether this process gets nothing of the collection's assets: outside
// Photos, a locked album's, or a switched-off one's while hideFoldersInApps
// is on.
bool withheldHere(rt::Id collection) {
    return process() != Process::Photos && currentInputs().withholdsAssets(titleOf(collection));
}

} // namespace

// ---- the hooks --------------------------------------------------------------------------------------
Objects listCollections(rt::Id self, rt::Sel cmd) {
    Objects stock = g_listCollections(self, cmd);
    if (!enabled || process() == Process::Photos) return stock;
    return filterCollections(stock, true);
}

Objects listCollectionsUncached(rt::Id self, rt::Sel cmd) {
    Objects stock = g_listCollections ? g_listCollections(self, cmd) : rt::send<Objects>(self, cmd);
    if (!enabled || process() == Process::Photos) return stock;
    return filterCollections(stock, false);
}

Objects resultFetchedObjects(rt::Id self, rt::Sel cmd) {
    rt::Ref<FilteredList> list = listForWholeReading(self, true);
    return list ? list->objects : g_resultFetchedObjects(self, cmd);
}

Ref<rt::Object> resultFetchedObjectIDsSet(rt::Id self, rt::Sel cmd) {
    return process() == Process::Photos ? g_resultFetchedObjectIDsSet(self, cmd) : nullptr;
}

Ref<rt::Object> fetchAssetsInCollection(rt::Id cls, rt::Sel cmd, Ref<rt::Object> collection, Ref<rt::Object> options) {
    if (Ref<rt::Object> album = albumOfCopy(collection.get())) collection = std::move(album); // a folder copy
    Ref<rt::Object> o = optionsFor(std::move(options));
    setIncludeHidden(o, true);
    rt::Id c = collection.get();
    if (withheldHere(c)) return nullptr;
    Kind k = kindOf(c);
    if (k.type == PHAssetCollectionTypeSmartAlbum) {
        if (k.subtype == PHAssetCollectionSubtypeSmartAlbumUserLibrary ||
            k.subtype == PHAssetCollectionSubtypeSmartAlbumAllPhotos)
            setIncludeHidden(o, false);
        if (hideHiddenStock && process() != Process::Camera) setIncludeHidden(o, false);
    }
    if (k.type == PHAssetCollectionTypeMoment) setIncludeHidden(o, true);
    Ref<rt::Object> result = g_fetchAssetsInCollection(cls, cmd, collection, o);
    if (mayListWithheld(k, o)) markWithholding(result);
    return result;
}

Ref<rt::Object> fetchKeyAssetsInCollection(rt::Id cls, rt::Sel cmd, Ref<rt::Object> collection,
                                           Ref<rt::Object> options) {
    if (Ref<rt::Object> album = albumOfCopy(collection.get())) collection = std::move(album); // a folder copy
    Ref<rt::Object> o = optionsFor(std::move(options));
    rt::Id c = collection.get();
    // A locked or switched-off album's key photo is its photo: it stays out
    // of other apps as the album's assets do.
    if (withheldHere(c)) return nullptr;
    if (Kind k = kindOf(c); k.hasSubtype) {
        if (k.subtype == PHAssetCollectionSubtypeSmartAlbumUserLibrary) setIncludeHidden(o, false);
    } else {
        setIncludeHidden(o, true);
    }
    Ref<rt::Object> result = g_fetchKeyAssetsInCollection(cls, cmd, collection, o);
    if (mayListWithheld(kindOf(c), o)) markWithholding(result);
    return result;
}

Ref<rt::Object> fetchAssetsWithOptions(rt::Id cls, rt::Sel cmd, Ref<rt::Object> options) {
    bool hidden = options && PHFetchOptions(options).includeHiddenAssets();
    Ref<rt::Object> result = g_fetchAssetsWithOptions(cls, cmd, std::move(options));
    if (hidden) markWithholding(result);
    return result;
}

Ref<rt::Object> fetchAssetsWithMediaType(rt::Id cls, rt::Sel cmd, long type, Ref<rt::Object> options) {
    bool hidden = options && PHFetchOptions(options).includeHiddenAssets();
    Ref<rt::Object> result = g_fetchAssetsWithMediaType(cls, cmd, type, std::move(options));
    if (hidden) markWithholding(result);
    return result;
}

// Photos named by identifier come hidden or not: such a fetch may always
// name a withheld photo (one the app kept from before its album's lock).
Ref<rt::Object> fetchAssetsWithLocalIdentifiers(rt::Id cls, rt::Sel cmd, std::vector<std::string> identifiers,
                                                Ref<rt::Object> options) {
    Ref<rt::Object> result = g_fetchAssetsWithLocalIdentifiers(cls, cmd, std::move(identifiers), std::move(options));
    markWithholding(result);
    return result;
}

Ref<rt::Object> fetchCollectionsWithType(rt::Id cls, rt::Sel cmd, long type, long subtype, Ref<rt::Object> options) {
    Ref<rt::Object> o = optionsFor(std::move(options));
    setIncludeHidden(o, true);
    return g_fetchCollectionsWithType(cls, cmd, type, subtype, o);
}

// A folder copy counts its album's assets as the filtered fetch gives them;
// any other collection answers as it does.
unsigned long collectionEstimatedAssetCount(rt::Id self, rt::Sel cmd) {
    Ref<rt::Object> album = albumOfCopy(self);
    if (!album) return g_estimatedAssetCount(self, cmd);
    Ref<rt::Object> assets =
        fetchAssetsInCollection(photos::PHAsset::cls(), "fetchAssetsInAssetCollection:options:"_sel, album, nullptr);
    return assets ? PHFetchResult<PHAsset>(assets).count() : 0;
}

// ---- the other readings ------------------------------------------------------------------------------
unsigned long resultCount(rt::Id self, rt::Sel cmd) {
    rt::Ref<FilteredList> list = listForWholeReading(self, false);
    return list ? list->objects.size() : g_resultCount(self, cmd);
}

// An index that the stock list has but the filtered one has not (the list
// shrank since the caller counted it) reads as nil; one beyond the stock
// list is the caller's fault, as it is without the filter.
Ref<rt::Object> resultObjectAtIndex(rt::Id self, rt::Sel cmd, unsigned long index) {
    rt::Ref<FilteredList> kept = listForElementReading(self);
    if (!kept) return g_resultObjectAtIndex(self, cmd, index);
    const Objects& list = kept->objects;
    if (index < list.size()) return list[index];
    if (index < g_resultCount(self, "count"_sel)) return nullptr;
    return g_resultObjectAtIndex(self, cmd, index);
}

Ref<rt::Object> resultFirstObject(rt::Id self, rt::Sel cmd) {
    rt::Ref<FilteredList> kept = listForWholeReading(self, false);
    if (!kept) return g_resultFirstObject(self, cmd);
    return kept->objects.empty() ? nullptr : kept->objects.front();
}

Ref<rt::Object> resultLastObject(rt::Id self, rt::Sel cmd) {
    rt::Ref<FilteredList> kept = listForWholeReading(self, false);
    if (!kept) return g_resultLastObject(self, cmd);
    return kept->objects.empty() ? nullptr : kept->objects.back();
}

void resultEnumerate(rt::Id self, rt::Sel cmd, EnumerationBlock block) {
    rt::Ref<FilteredList> kept = listForWholeReading(self, false); // the block may read the result again
    if (!kept) return g_resultEnumerate(self, cmd, std::move(block));
    const Objects& list = kept->objects;
    for (std::size_t i = 0; i < list.size(); ++i) {
        bool stop = false;
        block(list[i], i, &stop);
        if (stop) break;
    }
}

long resultIndexOfObject(rt::Id self, rt::Sel cmd, Ref<rt::Object> object) {
    rt::Ref<FilteredList> kept = listForElementReading(self);
    if (!kept) return g_resultIndexOfObject(self, cmd, std::move(object));
    if (!object) return -1;
    const Objects& list = kept->objects;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (rt::NSObject(list[i]).isEqual(rt::NSObject(object))) return static_cast<long>(i);
    return -1;
}

bool resultContainsObject(rt::Id self, rt::Sel cmd, Ref<rt::Object> object) {
    if (!listForElementReading(self)) return g_resultContainsObject(self, cmd, std::move(object));
    return resultIndexOfObject(self, "indexOfObject:"_sel, std::move(object)) >= 0;
}

} // namespace lc
