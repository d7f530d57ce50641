#!/usr/bin/env python3
"""Converts the country outlines of the npm package world-atlas (Natural Earth
1:50m admin-0 countries, public domain, as TopoJSON) into the compact text file
the image generator reads, assets/map/countries.txt. Run once by hand; the build
only reads the result:

    npm pack world-atlas && tar xzf world-atlas-*.tgz
    python3 convert_world_atlas.py package/countries-50m.json ../map/countries.txt

Output: one "P <iso numeric or ---> <name>" line per country, followed by one
"A" line per ring: the first point absolute, then differences, in units of
1/20 degree (longitude, latitude pairs). Rings are simplified (Douglas-Peucker)
to a tolerance far below one pixel of the 400-pixel map.
"""
import json
import sys

UNIDADE = 20          # points per degree
TOLERANCIA = 0.12     # degrees
OMITIDOS = {"Antarctica", "Fr. S. Antarctic Lands", "Heard I. and McDonald Is.",
            "S. Geo. and the Is."}


def arcos_absolutos(topo):
    sx, sy = topo["transform"]["scale"]
    tx, ty = topo["transform"]["translate"]
    arcos = []
    for arco in topo["arcs"]:
        x = y = 0
        pontos = []
        for dx, dy in arco:
            x += dx
            y += dy
            pontos.append((x * sx + tx, y * sy + ty))
        arcos.append(pontos)
    return arcos


def anel(indices, arcos):
    pontos = []
    for i in indices:
        trecho = arcos[i] if i >= 0 else list(reversed(arcos[~i]))
        pontos.extend(trecho if not pontos else trecho[1:])
    return pontos


def distancia(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    n = dx * dx + dy * dy
    t = 0 if n == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / n))
    return ((px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2) ** 0.5


def simplificar(pontos, tolerancia):
    if len(pontos) < 3:
        return pontos
    manter = [False] * len(pontos)
    manter[0] = manter[-1] = True
    pilha = [(0, len(pontos) - 1)]
    while pilha:
        i, j = pilha.pop()
        maior, indice = 0, -1
        for k in range(i + 1, j):
            d = distancia(pontos[k], pontos[i], pontos[j])
            if d > maior:
                maior, indice = d, k
        if maior > tolerancia:
            manter[indice] = True
            pilha += [(i, indice), (indice, j)]
    return [p for p, m in zip(pontos, manter) if m]


def quantizar(pontos):
    saida = []
    for x, y in pontos:
        q = (round(x * UNIDADE), round(y * UNIDADE))
        if not saida or saida[-1] != q:
            saida.append(q)
    if len(saida) > 1 and saida[0] == saida[-1]:
        saida.pop()
    return saida


def sem_salto_na_antimeridiana(pontos):
    """Rings cut at the antimeridian (Russia's far east, Fiji) jump by 360
    degrees between neighbours; continuing their longitudes past 180 keeps the
    ring one shape. The drawing repeats it one turn to the west."""
    saida = [pontos[0]]
    for x, y in pontos[1:]:
        anterior = saida[-1][0]
        while x - anterior > 180:
            x -= 360
        while anterior - x > 180:
            x += 360
        saida.append((x, y))
    media = sum(p[0] for p in saida) / len(saida)
    deslocamento = -360 if media > 180 else 360 if media < -180 else 0
    return [(x + deslocamento, y) for x, y in saida]


def anel_quantizado(pontos):
    """The simplified ring; islands too small to survive simplification keep
    their outline, or at least a triangle one unit across, so that every
    country, however small, stays on the map."""
    for candidato in (quantizar(simplificar(pontos, TOLERANCIA)), quantizar(pontos)):
        if len(candidato) >= 3:
            return candidato
    x = round(sum(p[0] for p in pontos) / len(pontos) * UNIDADE)
    y = round(sum(p[1] for p in pontos) / len(pontos) * UNIDADE)
    return [(x - 1, y - 1), (x + 1, y - 1), (x, y + 1)]


def linha_do_anel(pontos):
    partes = [pontos[0]] + [(b[0] - a[0], b[1] - a[1]) for a, b in zip(pontos, pontos[1:])]
    return "A " + " ".join(f"{x} {y}" for x, y in partes)


def poligonos(geometria):
    if geometria["type"] == "Polygon":
        return [geometria["arcs"]]
    if geometria["type"] == "MultiPolygon":
        return geometria["arcs"]
    return []


def main(origem, destino):
    topo = json.load(open(origem, encoding="utf-8"))
    arcos = arcos_absolutos(topo)
    linhas = ["# Country outlines: Natural Earth 1:50m admin-0 (public domain), from the",
              "# world-atlas package, converted by tools/convert_world_atlas.py.",
              f"# Rings in 1/{UNIDADE} degree: first point absolute, then differences."]
    for g in topo["objects"]["countries"]["geometries"]:
        nome = g["properties"]["name"]
        if nome in OMITIDOS:
            continue
        aneis = []
        for poligono in poligonos(g):
            for indices in poligono:
                aneis.append(anel_quantizado(sem_salto_na_antimeridiana(anel(indices, arcos))))
        if not aneis:
            continue
        nome_ascii = nome.encode("ascii", "replace").decode().replace(" ", "_")
        linhas.append(f"P {g.get('id', '---')} {nome_ascii}")
        linhas += [linha_do_anel(a) for a in aneis]
    open(destino, "w", encoding="ascii").write("\n".join(linhas) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
