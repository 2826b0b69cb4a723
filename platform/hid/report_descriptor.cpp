#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace halvorn::hid {
namespace {

// Limits that no real device comes near; they bound what a hostile
// descriptor can make us allocate.
constexpr std::size_t kMaxGlobalStack = 16;
constexpr std::size_t kMaxCollectionDepth = 32;
constexpr std::size_t kMaxCollections = 256;  // there are only 255 report IDs
constexpr std::size_t kMaxUsageEntries = 1024;
constexpr std::size_t kMaxCaps = 4096;
constexpr uint32_t kMaxReportBytes = 4096;  // including the report-ID byte
constexpr uint32_t kMaxDataBits = (kMaxReportBytes - 1) * 8;
constexpr uint32_t kMaxReportSize = 256;  // bits of one field

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReservedType = 3 };

enum MainTag : uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kUnitExponent = 0x5,
    kUnit = 0x6,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};

enum LocalTag : uint8_t {
    kUsage = 0x0,
    kUsageMin = 0x1,
    kUsageMax = 0x2,
    kDesignatorIndex = 0x3,
    kDesignatorMin = 0x4,
    kDesignatorMax = 0x5,
    kStringIndex = 0x7,
    kStringMin = 0x8,
    kStringMax = 0x9,
    kDelimiter = 0xA,
};

constexpr uint32_t kFlagConstant = 1u << 0;
constexpr uint32_t kFlagVariable = 1u << 1;
constexpr uint32_t kFlagNullState = 1u << 6;

constexpr uint8_t kLongItemPrefix = 0xFE;

struct Item {
    uint8_t type = 0;
    uint8_t tag = 0;
    uint8_t size = 0;  // data bytes: 0, 1, 2 or 4
    uint32_t data = 0;
};

// Item data as stored. Signedness of a limit is decided when the main item
// is reached: the maximum depends on the minimum given with it.
struct RawValue {
    uint32_t data = 0;
    uint8_t size = 0;
};

int32_t SignedValue(RawValue v) {
    switch (v.size) {
        case 1:
            return static_cast<int8_t>(v.data);
        case 2:
            return static_cast<int16_t>(v.data);
        default:
            return static_cast<int32_t>(v.data);
    }
}

// Many descriptors write 255 as "Logical Maximum (0xFF)", one byte; read the
// maximum unsigned unless the minimum is negative, as Linux does.
std::pair<int32_t, int32_t> Limits(RawValue min, RawValue max) {
    int32_t lo = SignedValue(min);
    int32_t hi = lo < 0 ? SignedValue(max) : static_cast<int32_t>(max.data);
    return {lo, hi};
}

struct GlobalState {
    uint16_t usagePage = 0;
    RawValue logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t reportSize = 0;
    uint8_t reportId = 0;
    uint32_t reportCount = 0;
};

// A usage as written: 4-byte usages carry their page; shorter ones take the
// usage page in effect when the main item is reached.
struct LocalUsage {
    uint32_t value = 0;
    bool extended = false;
};

struct LocalEntry {
    LocalUsage min, max;  // equal for a single usage
    bool isRange = false;
};

// A usage or usage range resolved to page and IDs.
struct UsageEntry {
    uint16_t page = 0;
    uint16_t min = 0;
    uint16_t max = 0;
    bool isRange = false;
    uint32_t Span() const { return static_cast<uint32_t>(max) - min + 1; }
};

class Parser {
public:
    explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) { owner_.fill(-1); }

    DescriptorParse Run();

private:
    DescriptorError Global(const Item& item);
    DescriptorError Local(const Item& item);
    DescriptorError Main(const Item& item, std::size_t offset);
    DescriptorError OpenCollection(std::size_t offset);
    DescriptorError DataItem(const Item& item, ReportKind kind, std::size_t offset);
    DescriptorError ResolveUsages(std::vector<UsageEntry>& out) const;
    DescriptorError AddVariableCaps(const std::vector<UsageEntry>& usages, const FieldLayout& base,
                                    bool buttons, bool hasNull, CollectionCaps& coll,
                                    std::size_t kind);
    DescriptorError AddArrayCaps(const std::vector<UsageEntry>& usages, const FieldLayout& base,
                                 CollectionCaps& coll, std::size_t kind);
    DescriptorError CountCap();
    void FlushPendingUsage();
    ReportDescriptor Finish();

    std::span<const uint8_t> bytes_;
    GlobalState global_;
    std::vector<GlobalState> globalStack_;
    std::vector<LocalEntry> usages_;
    std::optional<LocalUsage> pendingMin_, pendingMax_;
    std::vector<std::size_t> openCollections_;  // offsets of the open Collection items
    std::vector<CollectionCaps> collections_;
    bool usesReportIds_ = false;
    // Bits so far of each report, by kind and ID; an ID belongs to one
    // top-level collection (owner_), so these are also the bit offsets.
    std::array<std::array<uint32_t, 256>, kReportKindCount> reportBits_{};
    std::array<int, 256> owner_{};
    std::optional<std::size_t> firstUnnumbered_;  // a main item before any Report ID
    std::size_t capCount_ = 0;
};

DescriptorParse Parser::Run() {
    std::size_t pos = 0;
    while (pos < bytes_.size()) {
        const std::size_t offset = pos;
        const uint8_t prefix = bytes_[pos];
        DescriptorParse fail;
        fail.errorOffset = offset;
        if (prefix == kLongItemPrefix) {
            // No device class defines long items; we cannot give them meaning.
            fail.error = DescriptorError::BadItem;
            return fail;
        }
        Item item;
        item.size = static_cast<uint8_t>((prefix & 3) == 3 ? 4 : prefix & 3);
        item.type = static_cast<uint8_t>((prefix >> 2) & 3);
        item.tag = static_cast<uint8_t>(prefix >> 4);
        if (bytes_.size() - pos - 1 < item.size) {
            fail.error = DescriptorError::Truncated;
            return fail;
        }
        for (uint8_t i = 0; i < item.size; ++i) {
            item.data |= static_cast<uint32_t>(bytes_[pos + 1 + i]) << (8 * i);
        }
        pos += 1 + item.size;

        DescriptorError error = DescriptorError::BadItem;
        switch (item.type) {
            case kMain:
                error = Main(item, offset);
                break;
            case kGlobal:
                error = Global(item);
                break;
            case kLocal:
                error = Local(item);
                break;
            default:
                break;
        }
        if (error != DescriptorError::None) {
            fail.error = error;
            return fail;
        }
    }

    DescriptorParse result;
    if (!openCollections_.empty()) {
        result.error = DescriptorError::UnbalancedCollection;
        result.errorOffset = openCollections_.back();
        return result;
    }
    // Reports without an ID cannot be told apart from numbered ones.
    if (usesReportIds_ && firstUnnumbered_) {
        result.error = DescriptorError::BadReportId;
        result.errorOffset = *firstUnnumbered_;
        return result;
    }
    result.descriptor = Finish();
    return result;
}

DescriptorError Parser::Global(const Item& item) {
    const RawValue raw{item.data, item.size};
    switch (item.tag) {
        case kUsagePage:
            if (item.data > 0xFFFF) return DescriptorError::BadItem;
            global_.usagePage = static_cast<uint16_t>(item.data);
            return DescriptorError::None;
        case kLogicalMin:
            global_.logicalMin = raw;
            return DescriptorError::None;
        case kLogicalMax:
            global_.logicalMax = raw;
            return DescriptorError::None;
        case kPhysicalMin:
            global_.physicalMin = raw;
            return DescriptorError::None;
        case kPhysicalMax:
            global_.physicalMax = raw;
            return DescriptorError::None;
        case kUnitExponent:
        case kUnit:
            return DescriptorError::None;
        case kReportSize:
            if (item.data > kMaxReportSize) return DescriptorError::BadItem;
            global_.reportSize = item.data;
            return DescriptorError::None;
        case kReportId:
            if (item.data == 0 || item.data > 255) return DescriptorError::BadReportId;
            global_.reportId = static_cast<uint8_t>(item.data);
            usesReportIds_ = true;
            return DescriptorError::None;
        case kReportCount:
            if (item.data > 0xFFFF) return DescriptorError::TooLarge;
            global_.reportCount = item.data;
            return DescriptorError::None;
        case kPush:
            if (globalStack_.size() >= kMaxGlobalStack) return DescriptorError::StackOverflow;
            globalStack_.push_back(global_);
            return DescriptorError::None;
        case kPop:
            if (globalStack_.empty()) return DescriptorError::BadItem;
            global_ = globalStack_.back();
            globalStack_.pop_back();
            return DescriptorError::None;
        default:
            return DescriptorError::BadItem;
    }
}

DescriptorError Parser::Local(const Item& item) {
    const LocalUsage usage{item.data, item.size == 4};
    switch (item.tag) {
        case kUsage:
            FlushPendingUsage();
            usages_.push_back({usage, usage, false});
            break;
        case kUsageMin:
            if (pendingMin_) FlushPendingUsage();
            pendingMin_ = usage;
            break;
        case kUsageMax:
            if (pendingMax_) FlushPendingUsage();
            pendingMax_ = usage;
            break;
        case kDesignatorIndex:
        case kDesignatorMin:
        case kDesignatorMax:
        case kStringIndex:
        case kStringMin:
        case kStringMax:
        case kDelimiter:  // alternative usages are all kept, in order
            return DescriptorError::None;
        default:
            return DescriptorError::BadItem;
    }
    if (pendingMin_ && pendingMax_) {
        usages_.push_back({*pendingMin_, *pendingMax_, true});
        pendingMin_.reset();
        pendingMax_.reset();
    }
    return usages_.size() > kMaxUsageEntries ? DescriptorError::TooLarge : DescriptorError::None;
}

// A Usage Minimum or Maximum without its partner counts as a single usage.
void Parser::FlushPendingUsage() {
    for (auto* pending : {&pendingMin_, &pendingMax_}) {
        if (*pending) usages_.push_back({**pending, **pending, false});
        pending->reset();
    }
}

DescriptorError Parser::ResolveUsages(std::vector<UsageEntry>& out) const {
    auto full = [this](LocalUsage u) {
        return u.extended ? u.value : (static_cast<uint32_t>(global_.usagePage) << 16) | u.value;
    };
    for (const LocalEntry& e : usages_) {
        uint32_t min = full(e.min);
        uint32_t max = full(e.max);
        if ((min >> 16) != (max >> 16) || (min & 0xFFFF) > (max & 0xFFFF)) {
            return DescriptorError::BadItem;
        }
        out.push_back({static_cast<uint16_t>(min >> 16), static_cast<uint16_t>(min),
                       static_cast<uint16_t>(max), e.isRange});
    }
    return DescriptorError::None;
}

DescriptorError Parser::Main(const Item& item, std::size_t offset) {
    FlushPendingUsage();
    DescriptorError error = DescriptorError::None;
    switch (item.tag) {
        case kInput:
            error = DataItem(item, ReportKind::Input, offset);
            break;
        case kOutput:
            error = DataItem(item, ReportKind::Output, offset);
            break;
        case kFeature:
            error = DataItem(item, ReportKind::Feature, offset);
            break;
        case kCollection:
            error = OpenCollection(offset);
            break;
        case kEndCollection:
            if (openCollections_.empty()) {
                error = DescriptorError::UnbalancedCollection;
            } else {
                openCollections_.pop_back();
            }
            break;
        default:
            error = DescriptorError::BadItem;
            break;
    }
    usages_.clear();  // local items last until the next main item
    return error;
}

DescriptorError Parser::OpenCollection(std::size_t offset) {
    if (openCollections_.size() >= kMaxCollectionDepth) return DescriptorError::StackOverflow;
    if (openCollections_.empty()) {
        // Any collection at depth 0 is top level, whatever its type; devices
        // only ever use Application there.
        if (collections_.size() >= kMaxCollections) return DescriptorError::TooLarge;
        std::vector<UsageEntry> usages;
        if (DescriptorError e = ResolveUsages(usages); e != DescriptorError::None) return e;
        CollectionCaps coll;
        coll.usagePage = usages.empty() ? global_.usagePage : usages.front().page;
        coll.usage = usages.empty() ? 0 : usages.front().min;
        collections_.push_back(std::move(coll));
    }
    openCollections_.push_back(offset);
    return DescriptorError::None;
}

DescriptorError Parser::DataItem(const Item& item, ReportKind kind, std::size_t offset) {
    if (openCollections_.empty()) return DescriptorError::MainItemOutsideCollection;
    const uint32_t totalBits = global_.reportSize * global_.reportCount;
    if (totalBits == 0) return DescriptorError::None;  // declares no field

    const uint8_t id = global_.reportId;
    const auto k = static_cast<std::size_t>(kind);
    uint32_t& bits = reportBits_[k][id];
    if (totalBits > kMaxDataBits - bits) return DescriptorError::TooLarge;
    const int coll = static_cast<int>(collections_.size()) - 1;
    if (owner_[id] < 0) {
        owner_[id] = coll;
    } else if (owner_[id] != coll) {
        // Reports are routed to a collection by their ID.
        return DescriptorError::BadReportId;
    }
    if (id == 0 && !firstUnnumbered_) firstUnnumbered_ = offset;

    FieldLayout base;
    base.reportId = id;
    base.bitOffset = bits;
    base.bitSize = static_cast<uint16_t>(global_.reportSize);
    base.reportCount = static_cast<uint16_t>(global_.reportCount);
    std::tie(base.logicalMin, base.logicalMax) = Limits(global_.logicalMin, global_.logicalMax);
    bits += totalBits;

    if (item.data & kFlagConstant) return DescriptorError::None;  // padding
    std::vector<UsageEntry> usages;
    if (DescriptorError e = ResolveUsages(usages); e != DescriptorError::None) return e;
    if (usages.empty()) usages.push_back({global_.usagePage, 0, 0, false});

    CollectionCaps& caps = collections_.back();
    if (!(item.data & kFlagVariable)) return AddArrayCaps(usages, base, caps, k);
    return AddVariableCaps(usages, base, base.bitSize == 1, (item.data & kFlagNullState) != 0, caps,
                           k);
}

DescriptorError Parser::CountCap() {
    return ++capCount_ > kMaxCaps ? DescriptorError::TooLarge : DescriptorError::None;
}

// Fields go to the usages in order, as many to a range as it has usages; the
// last entry takes whatever fields remain (HID repeats the last usage), and
// entries beyond the last field are dropped.
DescriptorError Parser::AddVariableCaps(const std::vector<UsageEntry>& usages,
                                        const FieldLayout& base, bool buttons, bool hasNull,
                                        CollectionCaps& coll, std::size_t kind) {
    uint32_t field = 0;
    for (std::size_t i = 0; i < usages.size() && field < base.reportCount; ++i) {
        const UsageEntry& u = usages[i];
        const uint32_t left = base.reportCount - field;
        const uint32_t n = i + 1 == usages.size() ? left : std::min(u.Span(), left);
        FieldLayout layout = base;
        layout.bitOffset = base.bitOffset + field * base.bitSize;
        layout.reportCount = static_cast<uint16_t>(n);
        field += n;
        if (DescriptorError e = CountCap(); e != DescriptorError::None) return e;
        if (buttons) {
            coll.buttonCaps[kind].push_back({u.page, u.isRange, u.min, u.max, false, layout});
            continue;
        }
        ValueCap cap;
        cap.usagePage = u.page;
        cap.isRange = u.isRange;
        cap.usageMin = u.min;
        cap.usageMax = u.max;
        std::tie(cap.physicalMin, cap.physicalMax) =
            Limits(global_.physicalMin, global_.physicalMax);
        if (cap.physicalMin == 0 && cap.physicalMax == 0) {
            cap.physicalMin = layout.logicalMin;
            cap.physicalMax = layout.logicalMax;
        }
        cap.hasNull = hasNull;
        cap.layout = layout;
        coll.valueCaps[kind].push_back(cap);
    }
    return DescriptorError::None;
}

// Array fields hold indexes into the concatenated usage list: index
// logicalMin selects the first usage. Each entry gets its own slice of the
// logical range; entries that no index can reach are dropped.
DescriptorError Parser::AddArrayCaps(const std::vector<UsageEntry>& usages, const FieldLayout& base,
                                     CollectionCaps& coll, std::size_t kind) {
    int64_t first = base.logicalMin;
    for (const UsageEntry& u : usages) {
        const int64_t last = std::min<int64_t>(first + u.Span() - 1, base.logicalMax);
        if (first > last) break;
        FieldLayout layout = base;
        layout.logicalMin = static_cast<int32_t>(first);
        layout.logicalMax = static_cast<int32_t>(last);
        if (DescriptorError e = CountCap(); e != DescriptorError::None) return e;
        coll.buttonCaps[kind].push_back({u.page, u.isRange, u.min, u.max, true, layout});
        first += u.Span();
    }
    return DescriptorError::None;
}

ReportDescriptor Parser::Finish() {
    ReportDescriptor desc;
    desc.usesReportIds = usesReportIds_;
    desc.collections = std::move(collections_);
    for (std::size_t id = 0; id < owner_.size(); ++id) {
        if (owner_[id] < 0) continue;
        CollectionCaps& coll = desc.collections[static_cast<std::size_t>(owner_[id])];
        if (id != 0) coll.reportIds.push_back(static_cast<uint8_t>(id));  // ascending by loop
        for (std::size_t k = 0; k < kReportKindCount; ++k) {
            const uint32_t bits = reportBits_[k][id];
            if (bits == 0) continue;
            const auto bytes = static_cast<uint16_t>((bits + 7) / 8 + 1);
            coll.reportByteLength[k] = std::max(coll.reportByteLength[k], bytes);
        }
    }
    return desc;
}

}  // namespace

DescriptorParse ParseReportDescriptor(std::span<const uint8_t> bytes) {
    return Parser(bytes).Run();
}

std::string DescriptorErrorText(DescriptorError error) {
    switch (error) {
        case DescriptorError::None:
            return "no error";
        case DescriptorError::Truncated:
            return "an item runs past the end of the descriptor";
        case DescriptorError::UnbalancedCollection:
            return "Collection and End Collection items do not match";
        case DescriptorError::StackOverflow:
            return "collections or Push items nested too deeply";
        case DescriptorError::BadItem:
            return "reserved, long or malformed item";
        case DescriptorError::MainItemOutsideCollection:
            return "Input, Output or Feature item outside any collection";
        case DescriptorError::TooLarge:
            return "report, collection or usage count too large";
        case DescriptorError::BadReportId:
            return "invalid report ID, one shared by collections, or reports with and without IDs";
    }
    return "unknown descriptor error";
}

}  // namespace halvorn::hid
