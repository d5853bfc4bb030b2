"""The faces of a font file and the lookup walk that the layout scripts share."""
from fontTools.ttLib import TTCollection, TTFont


def open_faces(path, which):
    """The faces to read: every face of a shared collection for "all", else the one face."""
    if which == "all":
        return TTCollection(path, lazy=True).fonts
    return [TTFont(path, fontNumber=int(which), lazy=True)]


def feature_subtables(table, wanted, once=True):
    """(tag, lookup type, subtable) of every subtable of the lookups of the feature records whose tag
    wanted(tag) accepts, in record order, through extension lookups; lookup indices past the lookup
    count are passed over, and with once a (tag, lookup) pair is read only the first time."""
    for tag, lookup in feature_lookups(table, wanted, once):
        yield from ((tag, kind, sub) for kind, sub in lookup_subtables(lookup))


def feature_lookups(table, wanted, once=True):
    """(tag, lookup) of the lookups that feature_subtables walks, in its order."""
    lookups = table.LookupList.Lookup
    seen = set()
    for record in table.FeatureList.FeatureRecord:
        tag = record.FeatureTag
        if not wanted(tag):
            continue
        for index in record.Feature.LookupListIndex:
            if index >= len(lookups) or (once and (tag, index) in seen):
                continue
            seen.add((tag, index))
            yield tag, lookups[index]


def lookup_subtables(lookup):
    """(lookup type, subtable) of each subtable of a lookup, through extension subtables."""
    for sub in lookup.SubTable:
        if lookup.LookupType in (7, 9) and hasattr(sub, "ExtSubTable"):
            yield sub.ExtensionLookupType, sub.ExtSubTable
        else:
            yield lookup.LookupType, sub
