// PHPhotoLibrary and the change requests.
//
// performChanges:completionHandler: queues the change on the library's
// serial queue. There the block runs, and the requests it made are applied
// in the order made, in one transaction: all of them or none. Then the
// completion runs once, on the same queue, with success or an NSError that
// says what failed. A request made outside a change block is a programming
// error, as in PhotoKit.

#include "sim/foundation/Dates.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/NSError.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Classes.h"

#include <filesystem>

namespace photos {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

class PlaceholderObject : public rt::Object {
public:
    using Object::Object;
    std::string localIdentifier;
};

class CollectionRequestObject : public rt::Object {
public:
    using Object::Object;
    enum class Kind { Create, Modify, Delete } kind = Kind::Create;
    std::string uuid;  // Create
    int64_t album = 0; // Modify
    std::optional<std::string> title;
    Objects adds, removes;
    std::vector<int64_t> deletes; // Delete
    Ref<rt::Object> placeholder;
};

class AssetRequestObject : public rt::Object {
public:
    using Object::Object;
    enum class Kind { Create, Modify, Delete } kind = Kind::Create;
    std::string sourcePath; // Create
    std::string uuid;       // Create
    int64_t asset = 0;      // Modify
    std::optional<bool> hidden, favorite;
    std::optional<double> date;
    std::vector<int64_t> deletes; // Delete: to the trash
    Ref<rt::Object> placeholder;
};

// The requests of the change block running on this thread.
struct ChangeContext {
    Objects requests;
};
thread_local ChangeContext* t_change = nullptr;

ChangeContext& currentChange(const char* what) {
    if (!t_change) rt::fatal(std::string(what) + " may only be used inside a change block");
    return *t_change;
}

Ref<rt::Object> makePlaceholder(const std::string& identifier) {
    auto p = rt::createInstance<PlaceholderObject>(kit::classes().placeholder);
    p->localIdentifier = identifier;
    return p;
}

std::string placeholderIdentifier(PlaceholderObject* self, rt::Sel) { return self->localIdentifier; }

// A request of the running change block, recorded in the order made.
template <class Request> Ref<Request> newRequest(rt::Class* cls, const char* what) {
    ChangeContext& ctx = currentChange(what);
    auto r = rt::createInstance<Request>(cls);
    ctx.requests.push_back(r);
    return r;
}

// ---- PHAssetCollectionChangeRequest -----------------------------------------------------------------
Ref<CollectionRequestObject> newCollectionRequest(const char* what) {
    return newRequest<CollectionRequestObject>(kit::classes().collectionChangeRequest, what);
}

Ref<rt::Object> creationRequestWithTitle(rt::Id, rt::Sel, std::string title) {
    auto r = newCollectionRequest("+[PHAssetCollectionChangeRequest creationRequestForAssetCollectionWithTitle:]");
    r->kind = CollectionRequestObject::Kind::Create;
    r->uuid = newUuid();
    r->title = std::move(title);
    r->placeholder = makePlaceholder(r->uuid + kit::kCollectionIdSuffix);
    return r;
}

// Only user albums can be changed; for any other collection there is no request.
Ref<rt::Object> changeRequestFor(rt::Id, rt::Sel, Ref<rt::Object> collection) {
    CollectionObject* c = collectionOf(collection.get());
    if (!c || c->kind != CollectionKind::Album) {
        currentChange("+[PHAssetCollectionChangeRequest changeRequestForAssetCollection:]");
        return nullptr;
    }
    auto r = newCollectionRequest("+[PHAssetCollectionChangeRequest changeRequestForAssetCollection:]");
    r->kind = CollectionRequestObject::Kind::Modify;
    r->album = c->key;
    return r;
}

// The fetched assets let PhotoKit check index-based edits; membership
// changes by object need nothing from them.
Ref<rt::Object> changeRequestForWithAssets(rt::Id self, rt::Sel, Ref<rt::Object> collection, Ref<rt::Object>) {
    return changeRequestFor(self, nullptr, std::move(collection));
}

void deleteCollections(rt::Id, rt::Sel, Objects collections) {
    auto r = newCollectionRequest("+[PHAssetCollectionChangeRequest deleteAssetCollections:]");
    r->kind = CollectionRequestObject::Kind::Delete;
    for (auto& o : collections)
        if (CollectionObject* c = collectionOf(o.get()); c && c->kind == CollectionKind::Album)
            r->deletes.push_back(c->key);
}

Ref<rt::Object> collectionPlaceholder(CollectionRequestObject* self, rt::Sel) { return self->placeholder; }
void addAssets(CollectionRequestObject* self, rt::Sel, Objects assets) {
    self->adds.insert(self->adds.end(), assets.begin(), assets.end());
}
void removeAssets(CollectionRequestObject* self, rt::Sel, Objects assets) {
    self->removes.insert(self->removes.end(), assets.begin(), assets.end());
}
void setTitle(CollectionRequestObject* self, rt::Sel, std::string title) { self->title = std::move(title); }
std::string requestTitle(CollectionRequestObject* self, rt::Sel) { return self->title.value_or(""); }

// ---- PHAssetChangeRequest ----------------------------------------------------------------------------
Ref<AssetRequestObject> newAssetRequest(const char* what) {
    return newRequest<AssetRequestObject>(kit::classes().assetChangeRequest, what);
}

Ref<rt::Object> creationRequestFromImage(rt::Id, rt::Sel, std::string path) {
    auto r = newAssetRequest("+[PHAssetChangeRequest creationRequestForAssetFromImageAtFileURL:]");
    r->kind = AssetRequestObject::Kind::Create;
    r->sourcePath = std::move(path);
    r->uuid = newUuid();
    r->placeholder = makePlaceholder(r->uuid + kit::kAssetIdSuffix);
    return r;
}

Ref<rt::Object> changeRequestForAsset(rt::Id, rt::Sel, Ref<rt::Object> asset) {
    const AssetRecord* a = assetRecordOf(asset.get());
    if (!a) {
        currentChange("+[PHAssetChangeRequest changeRequestForAsset:]");
        return nullptr;
    }
    auto r = newAssetRequest("+[PHAssetChangeRequest changeRequestForAsset:]");
    r->kind = AssetRequestObject::Kind::Modify;
    r->asset = a->id;
    return r;
}

void deleteAssets(rt::Id, rt::Sel, Objects assets) {
    auto r = newAssetRequest("+[PHAssetChangeRequest deleteAssets:]");
    r->kind = AssetRequestObject::Kind::Delete;
    for (auto& o : assets)
        if (const AssetRecord* a = assetRecordOf(o.get())) r->deletes.push_back(a->id);
}

Ref<rt::Object> assetPlaceholder(AssetRequestObject* self, rt::Sel) { return self->placeholder; }
void setHidden(AssetRequestObject* self, rt::Sel, bool v) { self->hidden = v; }
void setFavorite(AssetRequestObject* self, rt::Sel, bool v) { self->favorite = v; }
void setCreationDate(AssetRequestObject* self, rt::Sel, fnd::Date d) { self->date = d.sinceReferenceDate; }

// ---- applying ------------------------------------------------------------------------------------------
struct Apply {
    Writer& w;
    std::string failure;
    std::vector<std::string> written; // files copied in, removed if the change fails

    bool fail(std::string why) {
        failure = std::move(why);
        return false;
    }

    bool exists(const char* table, int64_t id) {
        Statement s = w.db().prepare(std::string("SELECT 1 FROM ") + table + " WHERE id = ?");
        s.bind(1, id);
        return s.step();
    }

    std::optional<int64_t> idOfUuid(const char* table, const std::string& uuid) {
        Statement s = w.db().prepare(std::string("SELECT id FROM ") + table + " WHERE uuid = ?");
        s.bind(1, uuid);
        if (!s.step()) return std::nullopt;
        return s.integer(0);
    }

    // Assets given as PHAsset objects or as placeholders of assets created
    // earlier in this change.
    bool assetIds(const Objects& objects, std::vector<int64_t>& out) {
        for (const auto& o : objects) {
            if (const AssetRecord* a = assetRecordOf(o.get())) {
                if (!exists("assets", a->id)) return fail("an asset is no longer in the library");
                out.push_back(a->id);
            } else if (o && rt::isKindOf(o.get(), kit::classes().placeholder)) {
                auto id =
                    idOfUuid("assets", uuidOfIdentifier(static_cast<PlaceholderObject*>(o.get())->localIdentifier));
                if (!id) return fail("a placeholder names no asset created in this change");
                out.push_back(*id);
            } else {
                return fail("an object that is not an asset was given as one");
            }
        }
        return true;
    }

    bool collection(CollectionRequestObject& r) {
        using K = CollectionRequestObject::Kind;
        if (r.kind == K::Delete) {
            for (int64_t id : r.deletes)
                if (!w.deleteAlbum(id)) return fail("an album to delete is no longer in the library");
            return true;
        }
        int64_t album = r.album;
        if (r.kind == K::Create) {
            auto created = w.createAlbum(r.title.value_or(""), std::nullopt, r.uuid);
            if (!created) return fail("the album could not be created");
            album = created->id;
        } else {
            if (!exists("albums", album)) return fail("the album is no longer in the library");
            if (r.title && !w.renameAlbum(album, *r.title)) return fail("the album could not be renamed");
        }
        std::vector<int64_t> adds, removes;
        if (!assetIds(r.adds, adds) || !assetIds(r.removes, removes)) return false;
        if (!w.addMembers(album, adds) || !w.removeMembers(album, removes))
            return fail("the album's assets could not be changed");
        return true;
    }

    bool asset(AssetRequestObject& r) {
        using K = AssetRequestObject::Kind;
        if (r.kind == K::Delete) return w.setTrashed(r.deletes, true) || fail("the assets could not be deleted");
        int64_t id = r.asset;
        if (r.kind == K::Create) {
            auto bytes = fnd::readFile(r.sourcePath);
            if (!bytes || bytes->empty()) return fail("no file at " + r.sourcePath);
            AssetRecord attrs;
            attrs.uuid = r.uuid;
            attrs.creationDate = r.date.value_or(fnd::nowSinceReferenceDate());
            std::string path;
            std::string name = r.sourcePath.substr(r.sourcePath.rfind('/') + 1);
            auto created = importImage(w, *bytes, name, attrs, &path);
            if (!created) return fail(r.sourcePath + " is not an image the library can read");
            written.push_back(path);
            id = created->id;
        } else if (r.hidden) {
            // The update finds the asset or tells that it is gone: no query before it.
            if (!w.setHidden({id}, *r.hidden)) return fail("the hidden flag could not be set");
            if (w.db().changes() != 1) return fail("the asset is no longer in the library");
        } else if (!exists("assets", id)) {
            return fail("the asset is no longer in the library");
        }
        if (r.hidden && r.kind == K::Create && !w.setHidden({id}, *r.hidden))
            return fail("the hidden flag could not be set");
        if (r.favorite && !w.setFavorite({id}, *r.favorite)) return fail("the favourite flag could not be set");
        if (r.date && r.kind == K::Modify) {
            Statement s = w.db().prepare("UPDATE assets SET creation_date = ? WHERE id = ?");
            s.bind(1, *r.date).bind(2, id);
            if (!s.run()) return fail("the creation date could not be set");
        }
        return true;
    }
};

// Applies the requests; the failure's description when nothing was applied.
std::optional<std::string> apply(const Objects& requests) {
    PhotoStore* store = kit::store();
    if (!store) return std::string("the photo library is not available");
    if (requests.empty()) return std::nullopt;
    std::string failure;
    std::vector<std::string> written;
    bool ok = store->transaction([&](Writer& w) {
        Apply a{w, {}, {}};
        bool good = true;
        for (const auto& r : requests) {
            if (rt::isKindOf(r.get(), kit::classes().collectionChangeRequest))
                good = a.collection(*static_cast<CollectionRequestObject*>(r.get()));
            else
                good = a.asset(*static_cast<AssetRequestObject*>(r.get()));
            if (!good) break;
        }
        failure = a.failure.empty() && !good ? "the change could not be saved" : a.failure;
        written = std::move(a.written);
        return good;
    });
    if (ok) return std::nullopt;
    std::error_code ec;
    for (const auto& p : written)
        std::filesystem::remove(fnd::hostPath(p), ec);
    return failure.empty() ? "the change could not be saved" : failure;
}

// ---- PHPhotoLibrary --------------------------------------------------------------------------------------
Ref<rt::Object> sharedPhotoLibrary(rt::Id, rt::Sel) {
    static Ref<rt::Object> shared = rt::createInstance(kit::classes().library);
    return shared;
}

long authorizationStatus(rt::Id, rt::Sel) { return 3; } // PHAuthorizationStatusAuthorized
void requestAuthorization(rt::Id, rt::Sel, rt::Block<void(long)> handler) {
    Library::shared().queue().async([handler] { handler(3); });
}

void performChanges(rt::Id, rt::Sel, rt::Block<void()> changes, rt::Block<void(bool, Ref<rt::Object>)> completion) {
    Library::shared().queue().async([changes, completion] {
        ChangeContext ctx;
        t_change = &ctx;
        uint64_t failedReads = PhotoStore::failedReadsOnThisThread();
        changes();
        t_change = nullptr;
        // A block that read the library and met a failed read decided on
        // rows that were not all there: nothing of it is applied.
        std::optional<std::string> failure = PhotoStore::failedReadsOnThisThread() != failedReads
                                                 ? std::optional<std::string>("a read of the library failed")
                                                 : apply(ctx.requests);
        if (failure)
            completion(false, fnd::makeError(PHPhotosErrorDomain, -1, "The change could not be applied: " + *failure));
        else
            completion(true, nullptr);
        if (!failure && !ctx.requests.empty()) Library::shared().notifyObservers();
    });
}

// The library's state as a token: equal tokens name the same committed
// state, seen from this process.
class ChangeTokenObject : public rt::Object {
public:
    using Object::Object;
    PhotoStore::ChangeToken token;
};
rt::Class* g_changeTokenClass = nullptr;

Ref<rt::Object> currentChangeToken(rt::Id, rt::Sel) {
    auto t = rt::createInstance<ChangeTokenObject>(g_changeTokenClass);
    if (PhotoStore* s = kit::store()) t->token = s->changeToken();
    return t;
}
bool changeTokenIsEqual(ChangeTokenObject* self, rt::Sel, Ref<rt::Object> other) {
    auto* o = rt::objectAs<ChangeTokenObject>(other.get(), g_changeTokenClass);
    return o && o->token == self->token;
}

void registerObserver(rt::Id, rt::Sel, Ref<rt::Object> observer) { Library::shared().addObserver(observer.get()); }
void unregisterObserver(rt::Id, rt::Sel, Ref<rt::Object> observer) { Library::shared().removeObserver(observer.get()); }

} // namespace

namespace kit {

void defineChanges(Classes& c) {
    c.library = rt::defineClass("PHPhotoLibrary");
    rt::Class* libraryMeta = rt::objectGetClass(c.library);
    rt::addMethod<&sharedPhotoLibrary>(libraryMeta, "sharedPhotoLibrary"_sel);
    rt::addMethod<&authorizationStatus>(libraryMeta, "authorizationStatus"_sel);
    rt::addMethod<&requestAuthorization>(libraryMeta, "requestAuthorization:"_sel);
    rt::addMethod<&performChanges>(c.library, "performChanges:completionHandler:"_sel);
    rt::addMethod<&registerObserver>(c.library, "registerChangeObserver:"_sel);
    rt::addMethod<&unregisterObserver>(c.library, "unregisterChangeObserver:"_sel);
    rt::addMethod<&currentChangeToken>(c.library, "currentChangeToken"_sel);
    g_changeTokenClass = rt::defineClass("PHPersistentChangeToken", nullptr, rt::factoryOf<ChangeTokenObject>);
    rt::addMethod<&changeTokenIsEqual>(g_changeTokenClass, "isEqual:"_sel);
    c.change = rt::defineClass("PHChange");

    c.placeholder = rt::defineClass("PHObjectPlaceholder", c.object, rt::factoryOf<PlaceholderObject>);
    rt::addMethod<&placeholderIdentifier>(c.placeholder, "localIdentifier"_sel);

    c.collectionChangeRequest =
        rt::defineClass("PHAssetCollectionChangeRequest", nullptr, rt::factoryOf<CollectionRequestObject>);
    rt::Class* cm = rt::objectGetClass(c.collectionChangeRequest);
    rt::addMethod<&creationRequestWithTitle>(cm, "creationRequestForAssetCollectionWithTitle:"_sel);
    rt::addMethod<&changeRequestFor>(cm, "changeRequestForAssetCollection:"_sel);
    rt::addMethod<&changeRequestForWithAssets>(cm, "changeRequestForAssetCollection:assets:"_sel);
    rt::addMethod<&deleteCollections>(cm, "deleteAssetCollections:"_sel);
    rt::addMethod<&collectionPlaceholder>(c.collectionChangeRequest, "placeholderForCreatedAssetCollection"_sel);
    rt::addMethod<&addAssets>(c.collectionChangeRequest, "addAssets:"_sel);
    rt::addMethod<&removeAssets>(c.collectionChangeRequest, "removeAssets:"_sel);
    rt::addMethod<&setTitle>(c.collectionChangeRequest, "setTitle:"_sel);
    rt::addMethod<&requestTitle>(c.collectionChangeRequest, "title"_sel);

    c.assetChangeRequest = rt::defineClass("PHAssetChangeRequest", nullptr, rt::factoryOf<AssetRequestObject>);
    rt::Class* am = rt::objectGetClass(c.assetChangeRequest);
    rt::addMethod<&creationRequestFromImage>(am, "creationRequestForAssetFromImageAtFileURL:"_sel);
    rt::addMethod<&changeRequestForAsset>(am, "changeRequestForAsset:"_sel);
    rt::addMethod<&deleteAssets>(am, "deleteAssets:"_sel);
    rt::addMethod<&assetPlaceholder>(c.assetChangeRequest, "placeholderForCreatedAsset"_sel);
    rt::addMethod<&setHidden>(c.assetChangeRequest, "setHidden:"_sel);
    rt::addMethod<&setFavorite>(c.assetChangeRequest, "setFavorite:"_sel);
    rt::addMethod<&setCreationDate>(c.assetChangeRequest, "setCreationDate:"_sel);
}

} // namespace kit
} // namespace photos
