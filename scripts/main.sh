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
SELECT replace(f.path, rtrim(f.path, replace(f.path, '/', '')), '') AS file,
       f.status,
       CASE WHEN f.status = 'accepted' THEN printf('%.2f x %.2f in', f.width, f.height) ELSE '' END AS size,
       CASE WHEN f.h_resolution > 0 THEN printf('%g ppi', f.h_resolution) ELSE '' END AS resolution,
       coalesce(f.creating_software, '') AS creator,
       replace(coalesce(l.keywords, ''), char(10), ', ') AS keywords,
       replace(coalesce(l.fonts, ''), char(10), ', ') AS fonts,
       coalesce((SELECT printf('%d bytes', length(t.png)) FROM thumbnails t WHERE t.file_id = f.id
                 ORDER BY t.size DESC LIMIT 1), f.thumbnail_error, '') AS thumbnail,
       coalesce((SELECT 'a plate of ' || replace(p.main_path, rtrim(p.main_path, replace(p.main_path, '/', '')),
                 '') FROM dcs_plates p WHERE p.plate_path = f.path), f.error_message, '') AS refusal
FROM files f JOIN file_lists l ON l.file_id = f.id ORDER BY file;
SQL
