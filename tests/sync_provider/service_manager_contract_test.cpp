// The service manager's binary contract, written down here from its published
// reference on its own, not derived from service_manager_contract.h, and held
// against that header: the provider, its tests and SyncHost all compile from
// the header, so two methods swapped or a field moved there would otherwise
// pass every other test and fail only against the real service manager.
//
// Method slots count IUnknown's three; every method is __stdcall. Offsets and
// sizes are given for both word sizes: the suite runs in both, and each run
// checks its own column.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include <gtest/gtest.h>

#include "service_manager_contract.h"

namespace {

// Under the Itanium C++ ABI that GCC uses on both Windows targets, a pointer to
// a virtual member function holds 1 + the byte offset of its slot in the
// vtable (the adjustment word is 0 for a single-inheritance interface).
template <typename MemberFunction>
std::ptrdiff_t DeclaredSlot(MemberFunction member) {
  struct Representation {
    std::uintptr_t pointer;
    std::ptrdiff_t adjustment;
  } representation;
  static_assert(sizeof(MemberFunction) == sizeof(Representation));
  std::memcpy(&representation, &member, sizeof representation);
  if ((representation.pointer & 1) == 0 || representation.adjustment != 0) return -1;
  return static_cast<std::ptrdiff_t>((representation.pointer - 1) / sizeof(void*));
}

struct MethodCheck {
  const char* method;
  std::ptrdiff_t publishedSlot;
  std::ptrdiff_t declaredSlot;
  bool declaredAsPublished;  // result, arguments and __stdcall
};

// The published slot and signature next to what the header declares.
#define PUBLISHED_METHOD(Interface, slot, Method, Result, Arguments)                              \
  MethodCheck {                                                                                    \
    #Method, slot, DeclaredSlot(&Interface::Method),                                               \
        std::is_same_v<decltype(&Interface::Method), Result(STDMETHODCALLTYPE Interface::*) Arguments> \
  }

void ExpectAsPublished(const char* interfaceName, std::initializer_list<MethodCheck> methods,
                       std::ptrdiff_t publishedSlotCount, std::size_t declaredSize) {
  for (const MethodCheck& check : methods) {
    EXPECT_EQ(check.declaredSlot, check.publishedSlot) << interfaceName << "::" << check.method;
    EXPECT_TRUE(check.declaredAsPublished) << interfaceName << "::" << check.method
                                           << " is not declared with the published signature";
  }
  EXPECT_EQ(static_cast<std::ptrdiff_t>(methods.size()) + 3, publishedSlotCount) << interfaceName;
  // An interface holds nothing but its vtable pointer.
  EXPECT_EQ(declaredSize, sizeof(void*)) << interfaceName;
}

TEST(ServiceManagerContract, IReplStoreHasThePublishedSlotsAndSignatures) {
  ExpectAsPublished(
      "IReplStore",
      {
          PUBLISHED_METHOD(IReplStore, 3, Initialize, HRESULT, (IReplNotify*, UINT)),
          PUBLISHED_METHOD(IReplStore, 4, GetStoreInfo, HRESULT, (STOREINFO*)),
          PUBLISHED_METHOD(IReplStore, 5, ReportStatus, HRESULT, (HREPLFLD, HREPLITEM, UINT, UINT)),
          PUBLISHED_METHOD(IReplStore, 6, CompareStoreIDs, int, (LPBYTE, UINT, LPBYTE, UINT)),
          PUBLISHED_METHOD(IReplStore, 7, CompareItem, int, (HREPLITEM, HREPLITEM)),
          PUBLISHED_METHOD(IReplStore, 8, IsItemChanged, BOOL, (HREPLFLD, HREPLITEM, HREPLITEM)),
          PUBLISHED_METHOD(IReplStore, 9, IsItemReplicated, BOOL, (HREPLFLD, HREPLITEM)),
          PUBLISHED_METHOD(IReplStore, 10, UpdateItem, void, (HREPLFLD, HREPLITEM, HREPLITEM)),
          PUBLISHED_METHOD(IReplStore, 11, GetFolderInfo, HRESULT, (LPCSTR, HREPLFLD*, IUnknown**)),
          PUBLISHED_METHOD(IReplStore, 12, IsFolderChanged, HRESULT, (HREPLFLD, BOOL*)),
          PUBLISHED_METHOD(IReplStore, 13, FindFirstItem, HRESULT, (HREPLFLD, HREPLITEM*, BOOL*)),
          PUBLISHED_METHOD(IReplStore, 14, FindNextItem, HRESULT, (HREPLFLD, HREPLITEM*, BOOL*)),
          PUBLISHED_METHOD(IReplStore, 15, FindItemClose, HRESULT, (HREPLFLD)),
          PUBLISHED_METHOD(IReplStore, 16, ObjectToBytes, UINT, (HREPLOBJ, LPBYTE)),
          PUBLISHED_METHOD(IReplStore, 17, BytesToObject, HREPLOBJ, (LPBYTE, UINT)),
          PUBLISHED_METHOD(IReplStore, 18, FreeObject, void, (HREPLOBJ)),
          PUBLISHED_METHOD(IReplStore, 19, CopyObject, BOOL, (HREPLOBJ, HREPLOBJ)),
          PUBLISHED_METHOD(IReplStore, 20, IsValidObject, HRESULT, (HREPLFLD, HREPLITEM, UINT)),
          PUBLISHED_METHOD(IReplStore, 21, ActivateDialog, HRESULT, (UINT, HWND, HREPLFLD, IEnumReplItem*)),
          PUBLISHED_METHOD(IReplStore, 22, GetObjTypeUIData, HRESULT, (HREPLFLD, OBJUIDATA*)),
          PUBLISHED_METHOD(IReplStore, 23, GetConflictInfo, HRESULT, (CONFINFO*)),
          PUBLISHED_METHOD(IReplStore, 24, RemoveDuplicates, HRESULT, (LPCSTR, UINT)),
      },
      25, sizeof(IReplStore));
}

TEST(ServiceManagerContract, IReplObjHandlerHasThePublishedSlotsAndSignatures) {
  ExpectAsPublished("IReplObjHandler",
                    {
                        PUBLISHED_METHOD(IReplObjHandler, 3, Setup, HRESULT, (REPLSETUP*)),
                        PUBLISHED_METHOD(IReplObjHandler, 4, Reset, HRESULT, (REPLSETUP*)),
                        PUBLISHED_METHOD(IReplObjHandler, 5, GetPacket, HRESULT, (LPBYTE*, DWORD*, DWORD)),
                        PUBLISHED_METHOD(IReplObjHandler, 6, SetPacket, HRESULT, (LPBYTE, DWORD)),
                        PUBLISHED_METHOD(IReplObjHandler, 7, DeleteObj, HRESULT, (REPLSETUP*)),
                    },
                    8, sizeof(IReplObjHandler));
}

struct Placement {
  std::size_t offset;
  std::size_t size;
};

struct FieldCheck {
  const char* field;
  Placement published32;
  Placement published64;
  Placement declared;
};

#define PUBLISHED_FIELD(Record, field, offset32, size32, offset64, size64) \
  FieldCheck {                                                             \
    #field, {offset32, size32}, {offset64, size64}, {                      \
      offsetof(Record, field), sizeof(Record::field)                       \
    }                                                                      \
  }

// The column of this build's word size.
Placement ForThisBuild(const FieldCheck& check) {
  return sizeof(void*) == 4 ? check.published32 : check.published64;
}

void ExpectLaidOutAsPublished(const char* recordName, std::size_t declaredSize, std::size_t publishedSize32,
                              std::size_t publishedSize64, std::initializer_list<FieldCheck> fields) {
  for (const FieldCheck& check : fields) {
    const Placement published = ForThisBuild(check);
    EXPECT_EQ(check.declared.offset, published.offset) << recordName << "." << check.field << " offset";
    EXPECT_EQ(check.declared.size, published.size) << recordName << "." << check.field << " size";
  }
  EXPECT_EQ(declaredSize, sizeof(void*) == 4 ? publishedSize32 : publishedSize64) << "sizeof " << recordName;
}

TEST(ServiceManagerContract, STOREINFOIsLaidOutAsPublished) {
  ExpectLaidOutAsPublished("STOREINFO", sizeof(STOREINFO), 480, 488,
                           {
                               PUBLISHED_FIELD(STOREINFO, cbStruct, 0, 4, 0, 4),
                               PUBLISHED_FIELD(STOREINFO, uFlags, 4, 4, 4, 4),
                               PUBLISHED_FIELD(STOREINFO, szProgId, 8, 256, 8, 256),
                               PUBLISHED_FIELD(STOREINFO, szStoreDesc, 264, 200, 264, 200),
                               PUBLISHED_FIELD(STOREINFO, uTimerRes, 464, 4, 464, 4),
                               PUBLISHED_FIELD(STOREINFO, cbMaxStoreId, 468, 4, 468, 4),
                               PUBLISHED_FIELD(STOREINFO, cbStoreId, 472, 4, 472, 4),
                               PUBLISHED_FIELD(STOREINFO, lpbStoreId, 476, 4, 480, 8),
                           });
}

TEST(ServiceManagerContract, CONFINFOIsLaidOutAsPublished) {
  ExpectLaidOutAsPublished("CONFINFO", sizeof(CONFINFO), 1240, 1256,
                           {
                               PUBLISHED_FIELD(CONFINFO, cbStruct, 0, 4, 0, 4),
                               PUBLISHED_FIELD(CONFINFO, hFolder, 4, 4, 8, 8),
                               PUBLISHED_FIELD(CONFINFO, hLocalItem, 8, 4, 16, 8),
                               PUBLISHED_FIELD(CONFINFO, hRemoteItem, 12, 4, 24, 8),
                               PUBLISHED_FIELD(CONFINFO, szLocalName, 16, 100, 32, 100),
                               PUBLISHED_FIELD(CONFINFO, szLocalDesc, 116, 512, 132, 512),
                               PUBLISHED_FIELD(CONFINFO, szRemoteName, 628, 100, 644, 100),
                               PUBLISHED_FIELD(CONFINFO, szRemoteDesc, 728, 512, 744, 512),
                           });
}

TEST(ServiceManagerContract, OBJUIDATAIsLaidOutAsPublished) {
  ExpectLaidOutAsPublished("OBJUIDATA", sizeof(OBJUIDATA), 692, 704,
                           {
                               PUBLISHED_FIELD(OBJUIDATA, cbStruct, 0, 4, 0, 4),
                               PUBLISHED_FIELD(OBJUIDATA, hIconLarge, 4, 4, 8, 8),
                               PUBLISHED_FIELD(OBJUIDATA, hIconSmall, 8, 4, 16, 8),
                               PUBLISHED_FIELD(OBJUIDATA, szName, 12, 260, 24, 260),
                               PUBLISHED_FIELD(OBJUIDATA, szSyncText, 272, 260, 284, 260),
                               PUBLISHED_FIELD(OBJUIDATA, szTypeText, 532, 80, 544, 80),
                               PUBLISHED_FIELD(OBJUIDATA, szPlTypeText, 612, 80, 624, 80),
                           });
}

TEST(ServiceManagerContract, REPLSETUPIsLaidOutAsPublished) {
  ExpectLaidOutAsPublished("REPLSETUP", sizeof(REPLSETUP), 148, 176,
                           {
                               PUBLISHED_FIELD(REPLSETUP, cbStruct, 0, 4, 0, 4),
                               PUBLISHED_FIELD(REPLSETUP, fRead, 4, 4, 4, 4),
                               PUBLISHED_FIELD(REPLSETUP, dwFlags, 8, 4, 8, 4),
                               PUBLISHED_FIELD(REPLSETUP, hr, 12, 4, 12, 4),
                               PUBLISHED_FIELD(REPLSETUP, szObjType, 16, 100, 16, 100),
                               PUBLISHED_FIELD(REPLSETUP, pNotify, 116, 4, 120, 8),
                               PUBLISHED_FIELD(REPLSETUP, oid, 120, 4, 128, 4),
                               PUBLISHED_FIELD(REPLSETUP, oidNew, 124, 4, 132, 4),
                               PUBLISHED_FIELD(REPLSETUP, pStore, 128, 4, 136, 8),
                               PUBLISHED_FIELD(REPLSETUP, hFolder, 132, 4, 144, 8),
                               PUBLISHED_FIELD(REPLSETUP, hItem, 136, 4, 152, 8),
                               PUBLISHED_FIELD(REPLSETUP, lpbVolumeID, 140, 4, 160, 8),
                               PUBLISHED_FIELD(REPLSETUP, cbVolumeID, 144, 4, 168, 4),
                           });
}

}  // namespace
