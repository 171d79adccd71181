#!/usr/bin/env python3
"""Runs avm1run over the corpus's trace tests and prints the pass rate and the failures."""
import subprocess, sys, os, concurrent.futures as cf

corpus = sys.argv[1]
binary = sys.argv[2]
only = sys.argv[3] if len(sys.argv) > 3 else ''
rows = []
for line in open(os.path.join(corpus, 'corpus.tsv')):
    f = line.rstrip('\n').split('\t')
    if f[0] == 'trace' and only in f[2]:
        rows.append((f[2], f[3], int(f[4] or 1)))

def run(row):
    movie, expected, frames = row
    try:
        p = subprocess.run([binary, os.path.join(corpus, movie), str(frames)],
                           capture_output=True, timeout=20)
        out = p.stdout.decode('utf-8', 'replace')
        status = 'crash' if p.returncode < 0 else ''
    except subprocess.TimeoutExpired:
        out, status = '', 'timeout'
    exp = open(os.path.join(corpus, expected), encoding='utf-8', errors='replace').read()
    norm = lambda s: s.replace('\r\n', '\n').rstrip('\n')
    return movie, status or ('pass' if norm(out) == norm(exp) else 'fail')

with cf.ThreadPoolExecutor(2) as ex:
    results = list(ex.map(run, rows))
passed = sum(1 for _, s in results if s == 'pass')
for m, s in results:
    if s != 'pass':
        print(s, m)
print(f'{passed}/{len(results)} = {100.0 * passed / max(1, len(results)):.1f}%')
