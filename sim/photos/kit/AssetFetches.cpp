// PHAsset's class methods: the asset fetches.
//
// Hidden assets are left out unless the options include them, and assets in
// the trash are left out everywhere but Recently Deleted. The Hidden smart
// album lists hidden assets whatever the options say. Without sort
// descriptors assets come by creation date, then in import order; a
// "creationDate" descriptor sets the direction. A transient collection
// answers exactly the assets it was made with.

#include "sim/foundation/NSPredicate.h"
#include "sim/photos/kit/Classes.h"
#include "sim/photos/kit/SmartAlbums.h"

#include <algorithm>

namespace photos {

using rt::Ref;
using namespace rt::literals;

namespace {

AssetQuery queryFromOptions(const FetchOptionsObject& o) {
    if (o.predicate)
        rt::fatal("PHAsset: this library filters assets by no predicate (" +
                  rt::send<std::string>(o.predicate, "predicateFormat"_sel) + ")");
    AssetQuery q;
    q.includeHidden = o.includeHidden;
    if (!o.sortDescriptors.empty()) {
        const fnd::SortDescriptorObject* d = fnd::sortDescriptorOf(o.sortDescriptors.front().get());
        if (!d || d->key != "creationDate")
            rt::fatal("PHAsset: assets sort by \"creationDate\" only, not \"" + (d ? d->key : std::string("?")) + "\"");
        q.descending = !d->ascending;
    }
    if (o.fetchLimit) q.limit = static_cast<int64_t>(o.fetchLimit);
    return q;
}

std::vector<int64_t> run(const AssetQuery& q) {
    PhotoStore* s = kit::store();
    return s ? s->assetIds(q) : std::vector<int64_t>{};
}

// The query for a collection's assets; none for a transient collection.
std::optional<AssetQuery> queryForCollection(const CollectionObject& c, AssetQuery q) {
    switch (c.kind) {
    case CollectionKind::Album:
        q.source = AssetQuery::Source::Album;
        q.album = c.key;
        return q;
    case CollectionKind::Moment:
        q.source = AssetQuery::Source::Sql;
        q.condition = momentCondition();
        q.conditionArg = c.key;
        return q;
    case CollectionKind::Smart:
        if (const SmartAlbum* sa = smartAlbum(c.subtype)) {
            q.source = AssetQuery::Source::Sql;
            q.condition = sa->condition;
            if (sa->hiddenOnly) q.includeHidden = true;
            if (sa->trash) q.includeTrashed = true;
            return q;
        }
        q.source = AssetQuery::Source::Sql;
        q.condition = "0";
        return q;
    case CollectionKind::Transient:
        break;
    }
    return std::nullopt;
}

Ref<rt::Object> transientAssets(const CollectionObject& c, const AssetQuery& q, bool newestFirst) {
    std::vector<Ref<rt::Object>> assets = c.transientAssets;
    std::stable_sort(assets.begin(), assets.end(), [&](const Ref<rt::Object>& x, const Ref<rt::Object>& y) {
        const AssetRecord *a = assetRecordOf(x.get()), *b = assetRecordOf(y.get());
        if (!a || !b) return false;
        return (q.descending || newestFirst) ? a->creationDate > b->creationDate : a->creationDate < b->creationDate;
    });
    if (q.limit && assets.size() > static_cast<std::size_t>(*q.limit))
        assets.resize(static_cast<std::size_t>(*q.limit));
    return kit::makeResult("PHAsset", std::move(assets));
}

Ref<rt::Object> fetchInCollection(rt::Id, rt::Sel, Ref<rt::Object> collection, Ref<rt::Object> options) {
    AssetQuery q = queryFromOptions(kit::optionsOrDefault(options.get()));
    CollectionObject* c = collectionOf(collection.get());
    if (!c) return kit::makeAssetResult({});
    if (c->kind == CollectionKind::Transient) return transientAssets(*c, q, false);
    return kit::makeAssetResult(run(*queryForCollection(*c, q)));
}

// Key assets: the newest assets the options allow, up to three for a moment
// and one for any other collection, newest first.
Ref<rt::Object> fetchKeyAssets(rt::Id, rt::Sel, Ref<rt::Object> collection, Ref<rt::Object> options) {
    AssetQuery q = queryFromOptions(kit::optionsOrDefault(options.get()));
    CollectionObject* c = collectionOf(collection.get());
    if (!c) return kit::makeAssetResult({});
    q.descending = true;
    q.limit = c->kind == CollectionKind::Moment ? 3 : 1;
    if (c->kind == CollectionKind::Transient) return transientAssets(*c, q, true);
    return kit::makeAssetResult(run(*queryForCollection(*c, q)));
}

Ref<rt::Object> fetchWithMediaType(rt::Id, rt::Sel, long mediaType, Ref<rt::Object> options) {
    AssetQuery q = queryFromOptions(kit::optionsOrDefault(options.get()));
    q.mediaType = static_cast<int>(mediaType);
    return kit::makeAssetResult(run(q));
}

Ref<rt::Object> fetchWithOptions(rt::Id, rt::Sel, Ref<rt::Object> options) {
    return kit::makeAssetResult(run(queryFromOptions(kit::optionsOrDefault(options.get()))));
}

// Assets named by identifier, hidden or not, in the library's order.
Ref<rt::Object> fetchWithIdentifiers(rt::Id, rt::Sel, std::vector<std::string> identifiers, Ref<rt::Object>) {
    std::vector<std::string> uuids;
    for (const auto& id : identifiers)
        uuids.push_back(uuidOfIdentifier(id));
    std::vector<int64_t> ids;
    if (PhotoStore* s = kit::store())
        for (const auto& a : s->assetsWithUuids(uuids))
            ids.push_back(a.id);
    return kit::makeAssetResult(std::move(ids));
}

} // namespace

namespace kit {

void defineAssetFetches(Classes& c) {
    rt::Class* meta = rt::objectGetClass(c.asset);
    rt::addMethod<&fetchInCollection>(meta, "fetchAssetsInAssetCollection:options:"_sel);
    rt::addMethod<&fetchKeyAssets>(meta, "fetchKeyAssetsInAssetCollection:options:"_sel);
    rt::addMethod<&fetchWithMediaType>(meta, "fetchAssetsWithMediaType:options:"_sel);
    rt::addMethod<&fetchWithOptions>(meta, "fetchAssetsWithOptions:"_sel);
    rt::addMethod<&fetchWithIdentifiers>(meta, "fetchAssetsWithLocalIdentifiers:options:"_sel);
}

} // namespace kit
} // namespace photos
