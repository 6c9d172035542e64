// The collection fetches: PHAssetCollection's, PHCollection's and
// PHCollectionList's class methods.
//
// Order is stable: user albums in creation order, smart albums in the
// library's fixed order, moments by day. A "title = %@" predicate matches
// the title exactly (byte for byte, so case-sensitively).

#include "sim/foundation/NSPredicate.h"
#include "sim/photos/kit/Classes.h"
#include "sim/photos/kit/SmartAlbums.h"

#include <algorithm>

namespace photos {

using rt::Ref;
using namespace rt::literals;

namespace {

using Objects = std::vector<Ref<rt::Object>>;

const fnd::PredicateObject* titlePredicate(const FetchOptionsObject& o) {
    if (!o.predicate) return nullptr;
    const fnd::PredicateObject* p = fnd::predicateOf(o.predicate.get());
    if (!p || (p->key != "title" && p->key != "localizedTitle"))
        rt::fatal("PHAssetCollection: collections filter by \"title\" or \"localizedTitle\" only (" +
                  (p ? p->key : std::string("?")) + ")");
    return p;
}

std::string titleOf(const Ref<rt::Object>& o, const std::string& key) {
    if (auto* c = collectionOf(o.get())) return key == "title" ? c->title : c->localizedTitle;
    if (auto* l = collectionListOf(o.get())) return key == "title" ? std::string() : l->title;
    return {};
}

// Applies the predicate (unless the store already did), the sort descriptors
// and the limit.
Objects refine(Objects objects, const FetchOptionsObject& o, bool predicateDone = false) {
    if (const fnd::PredicateObject* p = titlePredicate(o); p && !predicateDone)
        std::erase_if(objects, [&](const Ref<rt::Object>& x) { return !p->matches(titleOf(x, p->key)); });
    for (auto it = o.sortDescriptors.rbegin(); it != o.sortDescriptors.rend(); ++it) {
        const fnd::SortDescriptorObject* d = fnd::sortDescriptorOf(it->get());
        if (!d) continue;
        bool byDate = d->key == "startDate" || d->key == "endDate";
        if (!byDate && d->key != "title" && d->key != "localizedTitle")
            rt::fatal("PHAssetCollection: collections sort by title, localizedTitle, startDate or endDate, not \"" +
                      d->key + "\"");
        std::stable_sort(objects.begin(), objects.end(), [&](const Ref<rt::Object>& x, const Ref<rt::Object>& y) {
            if (byDate) {
                auto date = [&](const Ref<rt::Object>& v) {
                    const CollectionObject* c = collectionOf(v.get());
                    return !c ? 0.0 : d->key == "startDate" ? c->startDate : c->endDate;
                };
                return d->ascending ? date(x) < date(y) : date(y) < date(x);
            }
            return d->ascending ? titleOf(x, d->key) < titleOf(y, d->key) : titleOf(y, d->key) < titleOf(x, d->key);
        });
    }
    if (o.fetchLimit && objects.size() > o.fetchLimit) objects.resize(o.fetchLimit);
    return objects;
}

const char* fetchTypeFor(long type) {
    switch (type) {
    case PHAssetCollectionTypeAlbum:
        return "PHAlbum";
    case PHAssetCollectionTypeSmartAlbum:
        return "PHSmartAlbum";
    case PHAssetCollectionTypeMoment:
        return "PHMoment";
    }
    return "PHAssetCollection";
}

Objects albums(const FetchOptionsObject& o, bool& predicateDone) {
    Objects out;
    PhotoStore* s = kit::store();
    if (!s) return out;
    const fnd::PredicateObject* p = titlePredicate(o);
    predicateDone = p && !p->negated;
    for (const auto& a : s->albums(predicateDone ? std::optional(p->argument) : std::nullopt))
        out.push_back(kit::makeAlbum(a));
    return out;
}

Objects moments(const FetchOptionsObject& o) {
    Objects out;
    if (PhotoStore* s = kit::store())
        for (const auto& m : s->moments(o.includeHidden))
            out.push_back(kit::makeMoment(m));
    return out;
}

Ref<rt::Object> fetchWithType(rt::Id, rt::Sel, long type, long subtype, Ref<rt::Object> options) {
    const FetchOptionsObject& o = kit::optionsOrDefault(options.get());
    Objects out;
    bool predicateDone = false;
    if (type == PHAssetCollectionTypeAlbum &&
        (subtype == PHAssetCollectionSubtypeAlbumRegular || subtype == PHAssetCollectionSubtypeAny)) {
        out = albums(o, predicateDone);
    } else if (type == PHAssetCollectionTypeSmartAlbum) {
        for (const auto& sa : smartAlbums())
            if (subtype == PHAssetCollectionSubtypeAny || subtype == sa.subtype) out.push_back(makeSmartCollection(sa));
    } else if (type == PHAssetCollectionTypeMoment) {
        out = moments(o);
    }
    return kit::makeResult(fetchTypeFor(type), refine(std::move(out), o, predicateDone));
}

// In the order the identifiers were given; unknown ones are left out.
Ref<rt::Object> fetchWithIdentifiers(rt::Id, rt::Sel, std::vector<std::string> identifiers, Ref<rt::Object> options) {
    Objects out;
    PhotoStore* s = kit::store();
    for (const auto& id : identifiers) {
        std::string uuid = uuidOfIdentifier(id);
        if (uuid.rfind("SMARTALBUM-", 0) == 0) {
            if (const SmartAlbum* sa = smartAlbum(std::atol(uuid.c_str() + 11)))
                out.push_back(makeSmartCollection(*sa));
        } else if (uuid.rfind("MOMENT-", 0) == 0) {
            int64_t day = std::atoll(uuid.c_str() + 7);
            if (s)
                for (const auto& m : s->moments(true))
                    if (m.day == day) out.push_back(kit::makeMoment(m));
        } else if (s) {
            for (const auto& a : s->albumsWithUuids({uuid}))
                out.push_back(kit::makeAlbum(a));
        }
    }
    return kit::makeResult("PHAssetCollection", refine(std::move(out), kit::optionsOrDefault(options.get())));
}

Ref<rt::Object> fetchContainingAsset(rt::Id, rt::Sel, Ref<rt::Object> asset, long type, Ref<rt::Object> options) {
    const FetchOptionsObject& o = kit::optionsOrDefault(options.get());
    Objects out;
    const AssetRecord* a = assetRecordOf(asset.get());
    PhotoStore* s = kit::store();
    if (a && s) {
        if (type == PHAssetCollectionTypeAlbum) {
            for (const auto& album : s->albumsContaining(a->id))
                out.push_back(kit::makeAlbum(album));
        } else if (type == PHAssetCollectionTypeSmartAlbum) {
            for (const auto& sa : smartAlbums()) {
                AssetQuery q;
                q.source = AssetQuery::Source::Sql;
                q.condition = "a.id = ? AND (" + sa.condition + ")";
                q.conditionArg = a->id;
                q.includeHidden = o.includeHidden || sa.hiddenOnly;
                q.includeTrashed = sa.trash;
                if (s->countAssets(q) > 0) out.push_back(makeSmartCollection(sa));
            }
        } else if (type == PHAssetCollectionTypeMoment) {
            int64_t day = dayOf(a->creationDate);
            for (const auto& m : s->moments(o.includeHidden))
                if (m.day == day && !a->trashed) out.push_back(kit::makeMoment(m));
        }
    }
    return kit::makeResult(fetchTypeFor(type), refine(std::move(out), o));
}

Ref<rt::Object> transientAssetCollection(rt::Id, rt::Sel, Objects assets, std::string title) {
    auto c = rt::createInstance<CollectionObject>(kit::classes().assetCollection);
    c->kind = CollectionKind::Transient;
    c->uuid = "TRANSIENT-" + newUuid();
    c->title = title;
    c->localizedTitle = title;
    c->type = PHAssetCollectionTypeAlbum;
    c->subtype = PHAssetCollectionSubtypeAlbumRegular;
    c->transientAssets = std::move(assets);
    return c;
}

// ---- PHCollection and PHCollectionList -------------------------------------------------------------
Ref<rt::Object> fetchTopLevel(rt::Id, rt::Sel, Ref<rt::Object> options) {
    Objects contents = rt::send<Objects>(userCollectionsList(), "collections"_sel);
    return kit::makeResult("PHCollection", refine(std::move(contents), kit::optionsOrDefault(options.get())));
}

Ref<rt::Object> fetchInList(rt::Id, rt::Sel, Ref<rt::Object> list, Ref<rt::Object> options) {
    Objects contents = collectionListOf(list.get()) ? rt::send<Objects>(list, "collections"_sel) : Objects{};
    return kit::makeResult("PHCollection", refine(std::move(contents), kit::optionsOrDefault(options.get())));
}

Ref<rt::Object> fetchLists(rt::Id, rt::Sel, long type, long subtype, Ref<rt::Object> options) {
    Objects out;
    PhotoStore* s = kit::store();
    if (s && type == PHCollectionListTypeFolder &&
        (subtype == PHCollectionListSubtypeRegularFolder || subtype == PHAssetCollectionSubtypeAny))
        for (const auto& f : s->folders())
            out.push_back(kit::makeFolder(f));
    return kit::makeResult("PHCollectionList", refine(std::move(out), kit::optionsOrDefault(options.get())));
}

Ref<rt::Object> transientList(rt::Id, rt::Sel, Objects collections, std::string title) {
    auto l = rt::createInstance<CollectionListObject>(kit::classes().collectionList);
    l->kind = ListKind::Transient;
    l->uuid = "TRANSIENT-" + newUuid();
    l->title = std::move(title);
    l->transientCollections = std::move(collections);
    return l;
}

} // namespace

namespace kit {

void defineCollectionFetches(Classes& c) {
    rt::Class* meta = rt::objectGetClass(c.assetCollection);
    rt::addMethod<&fetchWithType>(meta, "fetchAssetCollectionsWithType:subtype:options:"_sel);
    rt::addMethod<&fetchWithIdentifiers>(meta, "fetchAssetCollectionsWithLocalIdentifiers:options:"_sel);
    rt::addMethod<&fetchContainingAsset>(meta, "fetchAssetCollectionsContainingAsset:withType:options:"_sel);
    rt::addMethod<&transientAssetCollection>(meta, "transientAssetCollectionWithAssets:title:"_sel);
    rt::Class* collectionMeta = rt::objectGetClass(c.collection);
    rt::addMethod<&fetchTopLevel>(collectionMeta, "fetchTopLevelUserCollectionsWithOptions:"_sel);
    rt::addMethod<&fetchInList>(collectionMeta, "fetchCollectionsInCollectionList:options:"_sel);
    rt::Class* listMeta = rt::objectGetClass(c.collectionList);
    rt::addMethod<&fetchLists>(listMeta, "fetchCollectionListsWithType:subtype:options:"_sel);
    rt::addMethod<&transientList>(listMeta, "transientCollectionListWithCollections:title:"_sel);
}

} // namespace kit
} // namespace photos
