// Validates one glTF or GLB file with the Khronos validator, offline: the
// only resources it reads are the file and the buffers it names beside it.
// Prints a summary line and every error and warning; exits 0 when there are
// none, 1 when there are, 2 when the file could not be validated at all.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

const file = process.argv[2];
if (!file) {
  console.error('usage: node validate.js FILE.glb|FILE.gltf');
  process.exit(2);
}

const severities = ['error', 'warning', 'info', 'hint'];

validator
  .validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    maxIssues: 0,
    externalResourceFunction: (uri) =>
      fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))),
  })
  .then((report) => {
    const issues = report.issues;
    console.log(`errors: ${issues.numErrors} warnings: ${issues.numWarnings} ` +
                `infos: ${issues.numInfos} hints: ${issues.numHints}`);
    for (const message of issues.messages) {
      console.log(`${severities[message.severity]} ${message.code} ${message.pointer || ''}: ${message.message}`);
    }
    process.exit(issues.numErrors === 0 && issues.numWarnings === 0 ? 0 : 1);
  })
  .catch((error) => {
    console.error(String(error));
    process.exit(2);
  });
