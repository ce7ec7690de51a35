// Starts morvel-lsp for Morvel definitions: diagnostics, completion, hover, go to
// definition, references, outline and folding all come from the server.
'use strict';

const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const settings = vscode.workspace.getConfiguration('morvel');
  const command = settings.get('server.path', 'morvel-lsp');
  const args = settings.get('server.arguments', []);
  const server = { command, args, transport: TransportKind.stdio };
  client = new LanguageClient(
    'morvel',
    'Morvel language server',
    { run: server, debug: server },
    { documentSelector: [{ language: 'morvel' }] }
  );
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((event) => {
      if (event.affectsConfiguration('morvel.server')) {
        vscode.window.showInformationMessage(
          'Reload the window to start the Morvel language server with the new settings.');
      }
    })
  );
  client.start().catch((error) => {
    vscode.window.showErrorMessage(
      `Cannot start ${command}: ${error.message}. Install morvel or set morvel.server.path.`);
  });
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
