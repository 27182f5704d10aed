# Sourced by the simulate and check benchmarks: the program they share, all
# eight timers and relays with all four inputs read, written to
# "$work/year.xml" with "$bin/quarnctl", and in `inputs` 1,000 input changes
# spread over the year from 2026-12-14: S0-S3 in turn, each switching on and
# off.

cat >"$work/year.json" <<'JSON'
{"version": "year",
 "timers": [
  {"onTime": "07:30:00", "offTime": "22:00:00", "weekdays": 31},
  {"onTime": "22:00:00", "offTime": "06:00:00", "weekdays": 127},
  {"onDate": "2026/12/20", "onTime": "08:00:00", "offDate": "2027/06/30", "offTime": "20:00:00", "weekdays": 96},
  {"onTime": "06:00:00", "offTime": "07:00:00", "weekdays": 127},
  {"onTime": "12:00:00", "offTime": "13:30:00", "weekdays": 31},
  {"onTime": "18:00:00", "offTime": "23:59:59", "weekdays": 96},
  {"offTime": "18:00:00", "weekdays": 85},
  {"onTime": "09:15:00", "offTime": "09:45:00", "weekdays": 127}],
 "relays": ["(#T0&&#S0)||#T3", "(#T1)||#R0", "(#T2&&#T4)||#S1", "(#T0&&#T1)||#R2",
            "(#S2&&#T5)||#T6", "(#R1&&#R2)||#S3", "(#T7)||#R5", "(#R3&&#R6&&#S0)||#T4"]}
JSON
"$bin/quarnctl" write "$work/year.json" "$work/year.xml"

start=$(date -u -d 2026-12-14T00:00:00 +%s)
inputs=()
for i in $(seq 0 999); do
  at=$(date -u -d "@$((start + i * 31536 + 1234))" +%Y-%m-%dT%H:%M:%S)
  inputs+=("--input" "S$((i % 4))=$(((i / 4 + 1) % 2))@$at")
done
