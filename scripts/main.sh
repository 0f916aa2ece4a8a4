#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: catalogues the bundled sample folder into
# catalog.sqlite (in the current folder) and shows what was found. A second run reads no file again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
db=${ALDRA_CATALOG:-catalog.sqlite}
"$root/build/src/host/aldra-eps" catalog "$root/build/samples" --db "$db"
echo
sqlite3 -header -column "$db" <<'SQL'
SELECT replace(path, rtrim(path, replace(path, '/', '')), '') AS file,
       status,
       CASE WHEN status = 'accepted' THEN printf('%.2f x %.2f in', width, height) ELSE '' END AS size,
       CASE WHEN h_resolution > 0 THEN printf('%g ppi', h_resolution) ELSE '' END AS resolution,
       coalesce(creating_software, '') AS creator,
       replace(coalesce(categories, ''), char(13), ', ') AS keywords,
       replace(replace(coalesce(fonts, ''), char(13), ''), char(10), ', ') AS fonts,
       CASE WHEN thumbnail IS NULL THEN '' ELSE printf('%d bytes', length(thumbnail)) END AS thumbnail,
       coalesce(error_message, '') AS refusal
FROM files ORDER BY file;
SQL
