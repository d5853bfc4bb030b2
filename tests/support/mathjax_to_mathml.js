// Converts one TeX formula to MathML with MathJax, for the LaTeX output tests.
// Usage: node mathjax_to_mathml.js MATHJAX_DIR INPUT_JSON OUTPUT_MML
// The input holds {"formula": text, "display": bool, "macros": {name: definition}}. Any TeX
// error (an undefined command among them) ends the run with exit code 1 and its message.
'use strict';

const fs = require('fs');
const path = require('path');
const {createRequire} = require('module');

function main(argv) {
  if (argv.length !== 3) {
    throw new Error('usage: mathjax_to_mathml.js MATHJAX_DIR INPUT_JSON OUTPUT_MML');
  }
  const [mathjaxDir, inputPath, outputPath] = argv;
  const load = createRequire(path.join(path.resolve(mathjaxDir), 'package.json'));
  const {mathjax} = load('mathjax-full/js/mathjax.js');
  const {TeX} = load('mathjax-full/js/input/tex.js');
  const {liteAdaptor} = load('mathjax-full/js/adaptors/liteAdaptor.js');
  const {RegisterHTMLHandler} = load('mathjax-full/js/handlers/html.js');
  const {AllPackages} = load('mathjax-full/js/input/tex/AllPackages.js');
  const {SerializedMmlVisitor} = load('mathjax-full/js/core/MmlTree/SerializedMmlVisitor.js');
  const {STATE} = load('mathjax-full/js/core/MathItem.js');

  const input = JSON.parse(fs.readFileSync(inputPath, 'utf8'));
  const left = new Set(['noundefined', 'noerrors', 'bussproofs']);
  const tex = new TeX({
    packages: AllPackages.filter((name) => !left.has(name)),
    macros: input.macros || {},
    formatError: (jax, error) => {
      throw error;
    },
  });
  RegisterHTMLHandler(liteAdaptor());
  const document = mathjax.document('', {InputJax: tex});
  const node = document.convert(input.formula, {display: Boolean(input.display), end: STATE.CONVERT});
  fs.writeFileSync(outputPath, new SerializedMmlVisitor().visitTree(node));
}

try {
  main(process.argv.slice(2));
} catch (error) {
  process.stderr.write('MathJax: ' + (error && error.message ? error.message : String(error)) + '\n');
  process.exit(1);
}
