// The printer models this library serves, recognised by sysObjectID.
#ifndef QMR_PRINTER_SUPPORTED_MODELS_H
#define QMR_PRINTER_SUPPORTED_MODELS_H

struct SQMRModelEntry {
  const char *sysObjectId;
  const char *modelName;
};

// Rows in matching order, ended by an entry with null texts.
extern const SQMRModelEntry kQMRSupportedModels[];

// The first row whose OID is a whole prefix of sysObjectId followed by the
// end of the text or "."; null for no row (and for a null text).
const SQMRModelEntry *qmr_find_model(const SQMRModelEntry *table, const char *sysObjectId);

#endif  // QMR_PRINTER_SUPPORTED_MODELS_H
