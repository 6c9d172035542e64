#pragma once
// Gallery, a third-party app that uses the photo library as App Store apps
// do: "com.example.gallery", and the same app under "com.apple.store.Jolly".
//
// Its page lists the user's albums and folders (the top-level collections,
// a folder's albums through -[PHCollectionList collections]), then the smart
// albums, each with its photo count (fetchAssetsInAssetCollection:options:)
// and key photo (fetchKeyAssetsInAssetCollection:options:); album fetches
// are read through -fetchedObjects and -fetchedObjectIDsSet. A fetch that
// gives no result at all counts as empty. A tap on an album shows its photos.
//
// The automation command "report" answers what the app sees, as text, one
// line per kind, so that tests compare what two apps are shown:
//   albums: Trips(3) Rome(1)
//   folders: Travel[Rome]
//   smart: Camera Roll(4) Hidden(1) ...
//   ids: 2            (the album fetch's object identifiers)

#include <string>

namespace gallery {

// Defines the app's classes under the application class of the bundle.
void registerClasses(const std::string& applicationClass);

} // namespace gallery
