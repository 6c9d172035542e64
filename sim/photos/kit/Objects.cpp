// PHObject and its subclasses' instance side: assets, asset collections
// (albums, smart albums, moments, transient ones) and collection lists.

#include "sim/photos/kit/Classes.h"
#include "sim/photos/kit/SmartAlbums.h"

#include <chrono>

namespace photos {

using rt::Ref;
using namespace rt::literals;

namespace {

// ---- PHObject -------------------------------------------------------------------------------
std::string objectIdentifier(rt::Id self, rt::Sel) {
    if (auto* a = assetRecordOf(self)) return a->uuid + kit::kAssetIdSuffix;
    if (auto* c = collectionOf(self)) return c->uuid + kit::kCollectionIdSuffix;
    if (auto* l = collectionListOf(self)) return l->uuid + kit::kListIdSuffix;
    return {};
}

// Two objects of the library are equal when they name the same library object.
bool objectIsEqual(rt::Id self, rt::Sel, Ref<rt::Object> other) {
    if (!other) return false;
    if (other.get() == self) return true;
    if (!rt::isKindOf(other.get(), kit::classes().object)) return false;
    return rt::objectGetClass(self) == rt::objectGetClass(other.get()) &&
           rt::send<std::string>(self, "localIdentifier"_sel) == rt::send<std::string>(other, "localIdentifier"_sel);
}

// ---- PHAsset ------------------------------------------------------------------------------------
fnd::Date creationDate(AssetObject* self, rt::Sel) { return fnd::Date{self->record.creationDate}; }
long mediaType(AssetObject* self, rt::Sel) { return self->record.mediaType; }
// The store's traits as the platform's subtype bits.
unsigned long mediaSubtypes(AssetObject* self, rt::Sel) {
    static constexpr std::pair<int64_t, PHAssetMediaSubtype> kBits[] = {
        {kTraitPanorama, PHAssetMediaSubtypePhotoPanorama},
        {kTraitScreenshot, PHAssetMediaSubtypePhotoScreenshot},
        {kTraitLivePhoto, PHAssetMediaSubtypePhotoLive},
        {kTraitDepthEffect, PHAssetMediaSubtypePhotoDepthEffect},
        {kTraitSlowMotion, PHAssetMediaSubtypeVideoHighFrameRate},
        {kTraitTimelapse, PHAssetMediaSubtypeVideoTimelapse},
    };
    unsigned long subtypes = 0;
    for (auto [trait, bit] : kBits)
        if (self->record.traits & trait) subtypes |= bit;
    return subtypes;
}
bool isHidden(AssetObject* self, rt::Sel) { return self->record.hidden; }
bool isFavorite(AssetObject* self, rt::Sel) { return self->record.favorite; }
unsigned long pixelWidth(AssetObject* self, rt::Sel) { return static_cast<unsigned long>(self->record.pixelWidth); }
unsigned long pixelHeight(AssetObject* self, rt::Sel) { return static_cast<unsigned long>(self->record.pixelHeight); }

// ---- PHCollection -------------------------------------------------------------------------------
std::string localizedTitle(rt::Id self, rt::Sel) {
    if (auto* c = collectionOf(self)) return c->localizedTitle;
    if (auto* l = collectionListOf(self)) return l->title;
    return {};
}
bool canContainAssets(rt::Id self, rt::Sel) { return collectionOf(self) != nullptr; }
bool canContainCollections(rt::Id self, rt::Sel) { return collectionListOf(self) != nullptr; }

// ---- PHAssetCollection ----------------------------------------------------------------------------
std::string title(CollectionObject* self, rt::Sel) { return self->title; }
long collectionType(CollectionObject* self, rt::Sel) { return self->type; }
long collectionSubtype(CollectionObject* self, rt::Sel) { return self->subtype; }
bool isTrashBin(CollectionObject* self, rt::Sel) {
    return self->kind == CollectionKind::Smart && self->subtype == PHAssetCollectionSubtypeSmartAlbumRecentlyDeleted;
}
fnd::Date startDate(CollectionObject* self, rt::Sel) { return fnd::Date{self->startDate}; }
fnd::Date endDate(CollectionObject* self, rt::Sel) { return fnd::Date{self->endDate}; }

// Like PhotoKit, an estimate: the visible assets of a user album or moment,
// and none known (NSNotFound, here -1 as unsigned) for the others.
unsigned long estimatedAssetCount(CollectionObject* self, rt::Sel) {
    PhotoStore* s = kit::store();
    if (!s) return 0;
    AssetQuery q;
    switch (self->kind) {
    case CollectionKind::Album:
        q.source = AssetQuery::Source::Album;
        q.album = self->key;
        return static_cast<unsigned long>(s->countAssets(q).value_or(0));
    case CollectionKind::Moment:
        q.source = AssetQuery::Source::Sql;
        q.condition = momentCondition();
        q.conditionArg = self->key;
        return static_cast<unsigned long>(s->countAssets(q).value_or(0));
    case CollectionKind::Transient:
        return self->transientAssets.size();
    case CollectionKind::Smart:
        break;
    }
    return static_cast<unsigned long>(-1);
}

// ---- PHCollectionList -------------------------------------------------------------------------------
std::vector<Ref<rt::Object>> contentsOf(std::optional<int64_t> folder) {
    std::vector<Ref<rt::Object>> out;
    PhotoStore* s = kit::store();
    if (!s) return out;
    for (const auto& a : s->albumsInFolder(folder))
        out.push_back(kit::makeAlbum(a));
    for (const auto& f : s->foldersIn(folder))
        out.push_back(kit::makeFolder(f));
    return out;
}

std::vector<Ref<rt::Object>> collections(CollectionListObject* self, rt::Sel) {
    switch (self->kind) {
    case ListKind::Folder:
        return contentsOf(self->folder);
    case ListKind::TopLevel:
        return contentsOf(std::nullopt);
    case ListKind::Transient:
        return self->transientCollections;
    }
    return {};
}
long listType(CollectionListObject*, rt::Sel) { return PHCollectionListTypeFolder; }
long listSubtype(CollectionListObject*, rt::Sel) { return PHCollectionListSubtypeRegularFolder; }

// "8 December 2026" for a day since the reference date.
std::string dayTitle(int64_t day) {
    using namespace std::chrono;
    static const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
    year_month_day ymd{sys_days{days{day + 11323}}}; // 2001-01-01 is day 11323 of the Unix epoch
    return std::to_string(static_cast<unsigned>(ymd.day())) + " " + months[static_cast<unsigned>(ymd.month()) - 1] +
           " " + std::to_string(static_cast<int>(ymd.year()));
}

} // namespace

namespace kit {

void defineObjects(Classes& c) {
    c.object = rt::defineClass("PHObject");
    rt::addMethod<&objectIdentifier>(c.object, "localIdentifier"_sel);
    rt::addMethod<&objectIsEqual>(c.object, "isEqual:"_sel);

    c.asset = rt::defineClass("PHAsset", c.object, rt::factoryOf<AssetObject>);
    rt::addMethod<&creationDate>(c.asset, "creationDate"_sel);
    rt::addMethod<&mediaType>(c.asset, "mediaType"_sel);
    rt::addMethod<&mediaSubtypes>(c.asset, "mediaSubtypes"_sel);
    rt::addMethod<&isHidden>(c.asset, "isHidden"_sel);
    rt::addMethod<&isFavorite>(c.asset, "isFavorite"_sel);
    rt::addMethod<&pixelWidth>(c.asset, "pixelWidth"_sel);
    rt::addMethod<&pixelHeight>(c.asset, "pixelHeight"_sel);

    c.collection = rt::defineClass("PHCollection", c.object);
    rt::addMethod<&localizedTitle>(c.collection, "localizedTitle"_sel);
    rt::addMethod<&canContainAssets>(c.collection, "canContainAssets"_sel);
    rt::addMethod<&canContainCollections>(c.collection, "canContainCollections"_sel);

    c.assetCollection = rt::defineClass("PHAssetCollection", c.collection, rt::factoryOf<CollectionObject>);
    rt::addMethod<&title>(c.assetCollection, "title"_sel);
    rt::addMethod<&collectionType>(c.assetCollection, "assetCollectionType"_sel);
    rt::addMethod<&collectionSubtype>(c.assetCollection, "assetCollectionSubtype"_sel);
    rt::addMethod<&isTrashBin>(c.assetCollection, "isTrashBin"_sel);
    rt::addMethod<&estimatedAssetCount>(c.assetCollection, "estimatedAssetCount"_sel);
    rt::addMethod<&startDate>(c.assetCollection, "startDate"_sel);
    rt::addMethod<&endDate>(c.assetCollection, "endDate"_sel);

    c.collectionList = rt::defineClass("PHCollectionList", c.collection, rt::factoryOf<CollectionListObject>);
    rt::addMethod<&collections>(c.collectionList, "collections"_sel);
    rt::addMethod<&listType>(c.collectionList, "collectionListType"_sel);
    rt::addMethod<&listSubtype>(c.collectionList, "collectionListSubtype"_sel);
}

Ref<rt::Object> makeAlbum(const AlbumRecord& album) {
    auto c = rt::createInstance<CollectionObject>(classes().assetCollection);
    c->kind = CollectionKind::Album;
    c->key = album.id;
    c->uuid = album.uuid;
    c->title = album.title;
    c->localizedTitle = album.title;
    c->type = PHAssetCollectionTypeAlbum;
    c->subtype = PHAssetCollectionSubtypeAlbumRegular;
    c->folder = album.folder;
    return c;
}

Ref<rt::Object> makeFolder(const FolderRecord& folder) {
    auto l = rt::createInstance<CollectionListObject>(classes().collectionList);
    l->kind = ListKind::Folder;
    l->folder = folder.id;
    l->uuid = folder.uuid;
    l->title = folder.title;
    return l;
}

Ref<rt::Object> makeMoment(const MomentRecord& m) {
    auto c = rt::createInstance<CollectionObject>(classes().assetCollection);
    c->kind = CollectionKind::Moment;
    c->key = m.day;
    c->uuid = "MOMENT-" + std::to_string(m.day);
    c->localizedTitle = dayTitle(m.day); // a moment has no title of its own
    c->type = PHAssetCollectionTypeMoment;
    c->subtype = 0;
    c->startDate = m.startDate;
    c->endDate = m.endDate;
    return c;
}

} // namespace kit

Ref<rt::Object> makeAsset(AssetRecord record) {
    registerPhotoKit();
    auto a = rt::createInstance<AssetObject>(kit::classes().asset);
    a->record = std::move(record);
    return a;
}

PHCollectionList userCollectionsList() {
    registerPhotoKit();
    auto l = rt::createInstance<CollectionListObject>(kit::classes().collectionList);
    l->kind = ListKind::TopLevel;
    l->uuid = "TOPLEVEL-USER-COLLECTIONS";
    l->title = kUserCollectionsListTitle;
    return l;
}

const AssetRecord* assetRecordOf(rt::Id obj) {
    auto& c = kit::classes();
    AssetObject* a = rt::objectAs<AssetObject>(obj, c.asset);
    return a ? &a->record : nullptr;
}

CollectionObject* collectionOf(rt::Id obj) {
    auto& c = kit::classes();
    return rt::objectAs<CollectionObject>(obj, c.assetCollection);
}

CollectionListObject* collectionListOf(rt::Id obj) {
    auto& c = kit::classes();
    return rt::objectAs<CollectionListObject>(obj, c.collectionList);
}

FetchResultObject* fetchResultOf(rt::Id obj) {
    auto& c = kit::classes();
    return rt::objectAs<FetchResultObject>(obj, c.fetchResult);
}

std::string uuidOfIdentifier(const std::string& localIdentifier) {
    return localIdentifier.substr(0, localIdentifier.find('/'));
}

} // namespace photos
