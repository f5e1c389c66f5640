// The option class of the two supported printer models: adds the model check
// at Init and the sysObjectID prefix test. Exported like its base.
#ifndef QMR_PRINTER_QUINCE_OPTION_H
#define QMR_PRINTER_QUINCE_OPTION_H

#include "printer/dev_comm_option.h"

class QMR_EXPORT CQMRQuinceDZRPVRTOption : public CQMRDevCommOption {
 public:
  CQMRQuinceDZRPVRTOption();
  CQMRQuinceDZRPVRTOption(const CQMRQuinceDZRPVRTOption &other);
  CQMRQuinceDZRPVRTOption &operator=(const CQMRQuinceDZRPVRTOption &other);
  ~CQMRQuinceDZRPVRTOption() override;

  // The base's Init, then the model check: 0 for a supported model, -2 for
  // another model, or the code of the failed read.
  int32_t Init(EProtocol protocol, const char *address, IQMRPluginUSM *usm, uint32_t timeoutMs,
               uint32_t retries, uint32_t maxMessageSize) override;
  // True for a null oid, else whether the device's sysObjectID begins with it.
  bool is_supported_OID(const char *oid) override;
  using CQMRDevCommOption::get_option;
  int32_t get_option(const char *key, const char **out, int32_t index) const override;
  int32_t get_option(const char *key, int32_t *out, int32_t index) const override;
  int32_t get_option(const char *key, bool *out, int32_t index) const override;

 private:
  // Reads sysObjectID and matches it against the supported models: 0, -2
  // for another model or an address of another protocol, else the code of
  // the failed step.
  int32_t is_supported_device() const;

  // Read by the model check (which is const towards the options), kept even
  // when the model is refused.
  mutable char m_sysObjectId[256];
};

#endif  // QMR_PRINTER_QUINCE_OPTION_H
