#pragma once
// The privacy filter: the `other` group's hooks on PhotoKit, installed in
// every process but the store app's while the tweak is enabled. Locked
// albums and albums switched off stay out of other apps' queries, the
// smart-album settings apply there, and asset fetches include hidden assets
// (an album whose photos were moved out of the camera roll is hidden there,
// and would look empty otherwise).
//
//   -[PHCollectionList collections]           the list, filtered; regular albums
//                                             in folders appended as transient copies
//                                             (not a locked one's while locked albums
//                                             are kept out)
//   -[PHFetchResult fetchedObjects]           album fetches filtered (not in Photos or
//                                             Settings, nor in the Camera with
//                                             showLockedinCamera)
//   -[PHFetchResult fetchedObjectIDsSet]      no set outside Photos
//   +[PHAsset fetchAssetsInAssetCollection:options:]     hidden assets by collection
//                                             type; no result for a locked or
//                                             switched-off album outside Photos
//   +[PHAsset fetchKeyAssetsInAssetCollection:options:]  the same rules
//   +[PHAssetCollection fetchAssetCollectionsWithType:subtype:options:]  hidden assets on
//   -[PHAssetCollection estimatedAssetCount]  a folder copy's: its album's, filtered
//   +[PHAsset fetchAssetsWithOptions:], +fetchAssetsWithMediaType:options:,
//   +fetchAssetsWithLocalIdentifiers:options:  marked when they may list hidden photos
//
// In a third-party app, an asset fetch that may list hidden photos (it asked
// for them, lists a moment or the Hidden smart album, or names its photos)
// is marked, and every reading of it leaves out the photos the app may not
// get at all: those moved out of the camera roll whose every album is locked
// or switched off (WithheldPhotos.h).
//
// The folder copies are made empty and answer for their albums: the asset
// fetch, the key-asset fetch and the count of a copy are its album's, as the
// filter gives them when asked (FolderCopies.h).
//
// Where the caller passes no options, new default ones go to the stock
// method; the caller's own options are changed in place.
//
// In a third-party app (neither Photos, Settings nor the Camera) an album
// fetch is filtered whichever way it is read: its count, objectAtIndex:,
// firstObject, lastObject, enumeration, containsObject: and indexOfObject:
// answer the same filtered list as fetchedObjects, and a fetch of albums by
// identifier is filtered too. The Camera's own lookups (an album by title,
// for the capture hand-off) read firstObject and must still find a locked
// album, so there only fetchedObjects is filtered.
//
// The hooks run on whatever thread the app queries from. They read the
// settings and lists through FilterInputs (atomics and immutable snapshots)
// and keep what they derive under keys that any change alters: the transient
// copies (FolderCopies) and each album fetch's filtered list (kept on the
// fetch result, under the settings' generation and the locked list's
// version). A change that is complete shows at the very next query.

#include "sim/runtime/Runtime.h"

#include <string>
#include <vector>

namespace lc {

using Objects = std::vector<rt::Ref<rt::Object>>;

extern rt::Orig<Objects()> g_listCollections;
Objects listCollections(rt::Id self, rt::Sel cmd);

extern rt::Orig<Objects()> g_resultFetchedObjects;
Objects resultFetchedObjects(rt::Id self, rt::Sel cmd);
extern rt::Orig<rt::Ref<rt::Object>()> g_resultFetchedObjectIDsSet;
rt::Ref<rt::Object> resultFetchedObjectIDsSet(rt::Id self, rt::Sel cmd);

extern rt::Orig<rt::Ref<rt::Object>(rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_fetchAssetsInCollection;
rt::Ref<rt::Object> fetchAssetsInCollection(rt::Id cls, rt::Sel cmd, rt::Ref<rt::Object> collection,
                                            rt::Ref<rt::Object> options);
extern rt::Orig<rt::Ref<rt::Object>(rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_fetchKeyAssetsInCollection;
rt::Ref<rt::Object> fetchKeyAssetsInCollection(rt::Id cls, rt::Sel cmd, rt::Ref<rt::Object> collection,
                                               rt::Ref<rt::Object> options);
extern rt::Orig<rt::Ref<rt::Object>(long, long, rt::Ref<rt::Object>)> g_fetchCollectionsWithType;
rt::Ref<rt::Object> fetchCollectionsWithType(rt::Id cls, rt::Sel cmd, long type, long subtype,
                                             rt::Ref<rt::Object> options);

extern rt::Orig<rt::Ref<rt::Object>(rt::Ref<rt::Object>)> g_fetchAssetsWithOptions;
rt::Ref<rt::Object> fetchAssetsWithOptions(rt::Id cls, rt::Sel cmd, rt::Ref<rt::Object> options);
extern rt::Orig<rt::Ref<rt::Object>(long, rt::Ref<rt::Object>)> g_fetchAssetsWithMediaType;
rt::Ref<rt::Object> fetchAssetsWithMediaType(rt::Id cls, rt::Sel cmd, long type, rt::Ref<rt::Object> options);
extern rt::Orig<rt::Ref<rt::Object>(std::vector<std::string>, rt::Ref<rt::Object>)> g_fetchAssetsWithLocalIdentifiers;
rt::Ref<rt::Object> fetchAssetsWithLocalIdentifiers(rt::Id cls, rt::Sel cmd, std::vector<std::string> identifiers,
                                                    rt::Ref<rt::Object> options);
extern rt::Orig<unsigned long()> g_estimatedAssetCount;
unsigned long collectionEstimatedAssetCount(rt::Id self, rt::Sel cmd);

// ---- the other readings of an album fetch, in third-party apps -------------------------------------
extern rt::Orig<unsigned long()> g_resultCount;
unsigned long resultCount(rt::Id self, rt::Sel cmd);
extern rt::Orig<rt::Ref<rt::Object>(unsigned long)> g_resultObjectAtIndex;
rt::Ref<rt::Object> resultObjectAtIndex(rt::Id self, rt::Sel cmd, unsigned long index);
extern rt::Orig<rt::Ref<rt::Object>()> g_resultFirstObject;
rt::Ref<rt::Object> resultFirstObject(rt::Id self, rt::Sel cmd);
extern rt::Orig<rt::Ref<rt::Object>()> g_resultLastObject;
rt::Ref<rt::Object> resultLastObject(rt::Id self, rt::Sel cmd);
using EnumerationBlock = rt::Block<void(rt::Ref<rt::Object>, unsigned long, bool*)>;
extern rt::Orig<void(EnumerationBlock)> g_resultEnumerate;
void resultEnumerate(rt::Id self, rt::Sel cmd, EnumerationBlock block);
extern rt::Orig<bool(rt::Ref<rt::Object>)> g_resultContainsObject;
bool resultContainsObject(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> object);
extern rt::Orig<long(rt::Ref<rt::Object>)> g_resultIndexOfObject;
long resultIndexOfObject(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> object);

// `collections` as it would be with no cache of the transient copies: what
// the cache saves (benchmarks, tests).
Objects listCollectionsUncached(rt::Id self, rt::Sel cmd);

} // namespace lc
