#!/usr/bin/env bash
# Checks the dynamic symbol table of libqmr.so: the 36 QMR functions and the
# symbols of the two exported option classes, nothing else defined.
set -euo pipefail
lib=${1:?usage: check_exports.sh path/to/libqmr.so}

functions=(
  QMRInit QMRUnInit QMRCommandString QMRCommandInteger QMRTransportAvailable
  QMRFindDeviceSNMP QMRFindDeviceSNMPEx QMRFindAddFilter QMRFindClearFilter
  QMRFindResetPosition QMRGetDeviceNext QMRInitDevice QMRInitDeviceEx
  QMRIsSupportedOID QMRRefreshOptions QMRGetOptionValueBoolean
  QMRGetOptionValueInteger QMRGetOptionValueUInteger QMRGetOptionValueString
  QMRGetNumberOfStorageInfo QMRGetStorageInfo QMRGetNumberOfDeviceInfo
  QMRGetDeviceInfo QMRGetPrinterInfo QMRGetNumberOfInputTrayInfo
  QMRGetInputTrayInfo QMRGetNumberOfOutputTrayInfo QMRGetOutputTrayInfo
  QMRGetNumberOfTonerInfo QMRGetTonerInfo QMRGetNumberOfAlertInfo
  QMRGetAlertInfo QMRGetNumberOfJobInfo QMRGetJobInfo QMRCancelJob QMRGetCharSet
)
[ ${#functions[@]} -eq 36 ] || { echo "expected list holds ${#functions[@]} names"; exit 2; }

symbols=$(nm -D --defined-only "$lib" | awk '{print $2, $3}')
status=0

for f in "${functions[@]}"; do
  grep -qx "T $f" <<<"$symbols" || { echo "missing export: $f"; status=1; }
done

# Members, vtables and typeinfo of the option classes; linker bookkeeping.
allowed_class='^(CQMRDevCommOption|CQMRQuinceDZRPVRTOption)::|^(vtable|typeinfo|typeinfo name) for (CQMRDevCommOption|CQMRQuinceDZRPVRTOption)$'
allowed_linker='^(_init|_fini|_edata|_end|__bss_start)$'
class_count=0
while read -r type name; do
  [ -n "$name" ] || continue
  if printf '%s\n' "${functions[@]}" | grep -qx "$name"; then continue; fi
  demangled=$(c++filt "$name")
  if [[ $demangled =~ $allowed_class ]]; then class_count=$((class_count + 1)); continue; fi
  [[ $name =~ $allowed_linker ]] && continue
  echo "unexpected export: $type $name ($demangled)"
  status=1
done <<<"$symbols"

for cls in CQMRDevCommOption CQMRQuinceDZRPVRTOption; do
  grep -q "vtable for $cls\$" <<<"$(c++filt <<<"$symbols")" || { echo "missing vtable of $cls"; status=1; }
done

if [ $status -eq 0 ]; then
  echo "exports: 36 functions, $class_count option-class symbols, nothing else"
fi
exit $status
