# The stored and transmitted formats: plain C++ over bytes, no Windows header.
# The native builds (sanitizer tests, fuzz targets, the native converter)
# compile them from here.
set(qm_repo ${CMAKE_CURRENT_LIST_DIR}/..)

set(QM_FORMAT_SOURCES
  ${qm_repo}/contact_core/contact_record.cpp
  ${qm_repo}/contact_core/utf8_text.cpp
  ${qm_repo}/contact_core/conversion_report.cpp
  ${qm_repo}/contact_core/vcard_reader.cpp
  ${qm_repo}/contact_core/vcard_writer.cpp
  ${qm_repo}/contact_core/outlook_csv_reader.cpp
  ${qm_repo}/contact_core/outlook_csv_writer.cpp
  ${qm_repo}/export_import/contact_file.cpp
  ${qm_repo}/sync_provider/persisted_handle.cpp
  ${qm_repo}/standins/outlook/journal_format.cpp
  ${qm_repo}/standins/outlook/folder_state.cpp
  ${qm_repo}/standins/device/device_store_format.cpp
  ${qm_repo}/standins/sync_host/host_state_format.cpp
)

set(QM_FORMAT_INCLUDE_DIRS
  ${qm_repo}/contact_core
  ${qm_repo}/export_import
  ${qm_repo}/sync_provider
  ${qm_repo}/standins/outlook
  ${qm_repo}/standins/device
  ${qm_repo}/standins/sync_host
)
